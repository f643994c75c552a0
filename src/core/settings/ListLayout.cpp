#include "settings/ListLayout.h"

#include <algorithm>

#include "data/Database.h"
#include "settings/SettingsManager.h"

namespace SettingsManager {
namespace {

QString Number(int n) { return QString::number(n); }

// A stored value of the wrong kind (a row edited by hand) counts as missing.
float ReadFloat(Collection& collection, const QString& key, float current) {
  bool ok = false;
  const float value = ReadSetting(collection, key, current).toFloat(&ok);
  return ok ? value : current;
}

qint16 ReadShort(Collection& collection, const QString& key, qint16 current) {
  bool ok = false;
  const int value = ReadSetting(collection, key, QVariant::fromValue<qint16>(current)).toInt(&ok);
  return ok && value >= INT16_MIN && value <= INT16_MAX ? qint16(value) : current;
}

qint32 ReadLong(Collection& collection, const QString& key, qint32 current) {
  bool ok = false;
  const qint32 value = ReadSetting(collection, key, current).toInt(&ok);
  return ok ? value : current;
}

}  // namespace

void SaveListLayout(Collection& collection, const QString& listName, const QString& qualifier,
                    const ListLayout& layout) {
  const DatabaseHandle db = SettingsDatabase(collection);
  if (!db) return;  // already reported
  const QString k = listName + qualifier;
  Transaction transaction(db);
  WriteSetting(collection, k + QLatin1String("_HeaderCount"), qint32(layout.columns.size()));
  WriteSetting(collection, k + QLatin1String("_Sorted"), layout.sorted);
  WriteSetting(collection, k + QLatin1String("_SortKey"),
               QVariant::fromValue<qint16>(layout.sortKey));
  WriteSetting(collection, k + QLatin1String("_SortOrder"), layout.sortOrder);
  for (size_t i = 0; i < layout.columns.size(); ++i) {
    const ListColumnLayout& column = layout.columns[i];
    const QString n = Number(int(i) + 1);
    WriteSetting(collection, k + QLatin1String("_ColumnWidth") + n, column.width);
    WriteSetting(collection, k + QLatin1String("_ColumnPosition") + n,
                 QVariant::fromValue<qint16>(column.position));
    WriteSetting(collection, k + QLatin1String("_ColumnText") + n, column.caption);
  }
  transaction.Commit();
}

void LoadListLayout(Collection& collection, const QString& listName, const QString& qualifier,
                    ListLayout& layout, float minimumWidth) {
  const QString k = listName + qualifier;
  const qint32 count = ReadLong(collection, k + QLatin1String("_HeaderCount"), 0);
  if (count <= 0) return;
  // The list has a column per stored entry; a count beyond any real list is a damaged value and
  // must not make thousands of columns.
  constexpr qint32 kMostColumns = 255;
  layout.columns.resize(size_t(std::min(count, kMostColumns)));
  for (size_t i = 0; i < layout.columns.size(); ++i) {
    ListColumnLayout& column = layout.columns[i];
    const QString n = Number(int(i) + 1);
    float width = ReadFloat(collection, k + QLatin1String("_ColumnWidth") + n, column.width);
    // Not a number is no width at all; raising it to the minimum keeps the column usable.
    if (!(width >= minimumWidth)) width = minimumWidth;
    column.width = width;
    column.position =
        ReadShort(collection, k + QLatin1String("_ColumnPosition") + n, column.position);
    column.caption =
        ReadSetting(collection, k + QLatin1String("_ColumnText") + n, column.caption).toString();
  }
  const QVariant sorted = ReadSetting(collection, k + QLatin1String("_Sorted"), layout.sorted);
  if (sorted.canConvert<bool>()) layout.sorted = sorted.toBool();
  layout.sortKey = ReadShort(collection, k + QLatin1String("_SortKey"), layout.sortKey);
  layout.sortOrder = ReadLong(collection, k + QLatin1String("_SortOrder"), layout.sortOrder);
}

}  // namespace SettingsManager
