#include "inventory/ChoiceLists.h"

#include <QStringList>
#include <algorithm>
#include <functional>

#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "data/Database.h"
#include "data/DatabaseFunctions.h"
#include "data/JetDialect.h"
#include "data/Statement.h"
#include "inventory/DerivedRows.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"

namespace ChoiceLists {
namespace {

using InventoryFunctions::DVDField;

const QString kSource = QStringLiteral("ChoiceLists");
// Worked out from Inventory: the file check knows their shape, a salvage leaves them to be rebuilt.
[[maybe_unused]] const bool kDeclared =
    DatabaseFunctions::DeclareDerivedTable(QStringLiteral("ChoiceKeys")) &&
    DatabaseFunctions::DeclareDerivedTable(QStringLiteral("ChoiceStale"));

struct KeyColumn {
  DVDField field;
  const char* source;  // the Inventory column
  const char* key;     // the ChoiceKeys column
};
constexpr KeyColumn kColumns[] = {{DVDField::Category, "Category", "CategoryKey"},
                                  {DVDField::Rated, "Rated", "RatedKey"},
                                  {DVDField::Starring, "Starring", "StarringKey"},
                                  {DVDField::Title, "DVDTitle", "TitleKey"}};

const KeyColumn* ColumnOf(DVDField field) {
  const auto* column = std::find_if(std::begin(kColumns), std::end(kColumns),
                                    [&](const KeyColumn& c) { return c.field == field; });
  return column == std::end(kColumns) ? nullptr : column;
}

QString IndexOf(const KeyColumn& column) {
  return QStringLiteral("ChoiceKeysBy%1").arg(QLatin1String(column.source));
}

std::vector<DerivedRows::Index> Indexes() {
  std::vector<DerivedRows::Index> indexes;
  for (const KeyColumn& column : kColumns) {
    indexes.push_back(DerivedRows::IndexOn(QStringLiteral("ChoiceKeys"), IndexOf(column),
                                           QLatin1String(column.key)));
  }
  return indexes;
}

// The columns and values of one ChoiceKeys row worked out from Inventory. An empty text, never
// listed, keeps no key, so that the indexes hold only what is listed.
QString KeyColumns() {
  QString columns = QStringLiteral("DVD");
  for (const KeyColumn& column : kColumns) columns += u", "_qs + QLatin1String(column.key);
  return columns;
}
QString KeyValues() {
  QString values = QStringLiteral("Inventory.rowid");
  for (const KeyColumn& column : kColumns) {
    values += QStringLiteral(", NULLIF(NoCaseKey(Inventory.%1), X'00')")
                  .arg(QLatin1String(column.source));
  }
  return values;
}

const DerivedRows::Kind& Keys() {
  static const DerivedRows::Kind kind{QStringLiteral("ChoiceKeys"),
                                      QStringLiteral("ChoiceStale"),
                                      KeyColumns(),
                                      KeyValues(),
                                      kSource,
                                      &RebuildChoiceKeys};
  return kind;
}

// The keys brought up to date with the rows written since the last read; false when the caller
// must group Inventory itself.
bool MakeCurrent(const DatabaseHandle& db) { return DerivedRows::CatchUp(db, Keys()); }

QByteArray KeyOf(const QString& text) {
  const QByteArray utf8 = text.toUtf8();
  return JetDialect::NoCaseKey(utf8.constData(), int(utf8.size()));
}

// The rule of the dialogs' type-ahead: the value's first characters are the typed ones, letter
// case ignored.
bool StartsWithTyped(const QString& value, const QString& typed) {
  return value.size() >= typed.size() &&
         QStringView(value).left(typed.size()).compare(typed, Qt::CaseInsensitive) == 0;
}

// Walks the groups of a column in order from the one after `after`, while `each` asks for more
// and the keys stay below `before` (an empty key: no end). A group shows the text of its first
// stored row, as the grouping statement does; its key is that row's key from the index.
void WalkGroups(const DatabaseHandle& db, const KeyColumn& column, QByteArray after,
                const QByteArray& before, const std::function<bool(Choice&&)>& each) {
  Statement next = db->PrepareRaw(
      QStringLiteral(
          "SELECT k.%1, Inventory.%2 FROM (SELECT %1, DVD FROM ChoiceKeys WHERE %1 > "
          "coalesce(?1, X'') ORDER BY %1 LIMIT 1) AS k JOIN Inventory ON Inventory.rowid = k.DVD")
          .arg(QLatin1String(column.key), QLatin1String(column.source)),
      kSource);
  for (;;) {
    next.Reset();
    next.Bind(1, after);
    if (!next.Step()) return;
    Choice choice{next.Text(1), next.Blob(0)};
    if (!before.isEmpty() && choice.key >= before) return;
    after = choice.key;
    if (!each(std::move(choice))) return;
  }
}

// Without current keys: the grouping statement itself, keyed here.
std::vector<Choice> GroupedValues(Collection& collection, DVDField field) {
  std::vector<Choice> all;
  for (const QString& value : InventoryFunctions::DistinctValues(collection, field))
    all.push_back({value, KeyOf(value)});
  return all;
}

}  // namespace

void CreateChoiceKeysTable(const DatabaseHandle& db) {
  bool complete = DerivedRows::KeptBefore(*db, Keys());
  QString keys;
  for (const KeyColumn& column : kColumns)
    keys += u", "_qs + QLatin1String(column.key) + u" BLOB"_qs;
  db->ExecuteRaw(
      QStringLiteral("CREATE TABLE IF NOT EXISTS ChoiceKeys (DVD INTEGER PRIMARY KEY%1)").arg(keys),
      kSource);
  DerivedRows::KeepNotes(*db, Keys());
  for (const DerivedRows::Index& index : Indexes()) db->ExecuteRaw(index.create, kSource);
  // A salvaged file keeps the triggers but not the keys.
  DerivedRows::MakeReady(db, Keys(), complete && DerivedRows::HoldsRows(*db, Keys()));
}

void RebuildChoiceKeys(const DatabaseHandle& db) { DerivedRows::Rebuild(db, Keys(), Indexes()); }

std::vector<Choice> ValuesAfter(Collection& collection, DVDField field, const QByteArray& after,
                                int count) {
  const KeyColumn* column = ColumnOf(field);
  std::vector<Choice> values;
  if (!column || count <= 0) return values;
  const DatabaseHandle& db = collection.Db();
  if (!MakeCurrent(db)) {
    for (Choice& choice : GroupedValues(collection, field)) {
      if (int(values.size()) == count) break;
      if (choice.key > after) values.push_back(std::move(choice));
    }
    return values;
  }
  WalkGroups(db, *column, after, {}, [&](Choice&& choice) {
    values.push_back(std::move(choice));
    return int(values.size()) < count;
  });
  return values;
}

std::optional<QString> FirstStartingWith(Collection& collection, DVDField field,
                                         const QString& typed) {
  const KeyColumn* column = ColumnOf(field);
  if (!column || typed.isEmpty()) return std::nullopt;
  const DatabaseHandle& db = collection.Db();
  std::optional<QString> found;
  if (!MakeCurrent(db)) {
    for (const Choice& choice : GroupedValues(collection, field)) {
      if (StartsWithTyped(choice.value, typed)) return choice.value;
    }
    return found;
  }
  // A value that starts with the typed letters has a key that starts with their base letters
  // (see JetDialect::NoCaseKey): only that range of the index is read, in the list's order.
  QByteArray letters = KeyOf(typed);
  letters.truncate(letters.indexOf('\0'));
  WalkGroups(db, *column, letters, letters + char(0xFF), [&](Choice&& choice) {
    if (StartsWithTyped(choice.value, typed)) found = std::move(choice.value);
    return !found;
  });
  return found;
}

}  // namespace ChoiceLists
