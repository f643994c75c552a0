#include "settings/SettingsManager.h"

#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <charconv>

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "data/DatabaseFunctions.h"
#include "data/Recordset.h"

namespace SettingsManager {
namespace {

// The file check knows the table as one of the program's and checks its shape.
[[maybe_unused]] const bool kDeclared = DatabaseFunctions::DeclareTable(QStringLiteral("Settings"));

QString Lookup(const QString& name) {
  return QStringLiteral("Select Settings.* From Settings Where SettingName = ") + SqlText(name);
}

// The shortest text that reads back as exactly the same number, in any locale; infinities and
// NaN (with its sign) included.
template <typename Number>
QString NumberText(Number value) {
  char buffer[64];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

// Reads what NumberText writes, correctly rounded (so FLT_MAX written as 3.4028235e+38 is
// FLT_MAX again), and the plain forms older versions wrote.
template <typename Number>
bool ParseNumber(const QString& text, Number& value) {
  const QByteArray latin = text.toLatin1();
  const char* begin = latin.constData();
  const char* end = begin + latin.size();
  if (begin != end && *begin == '+') ++begin;
  const auto [stop, error] = std::from_chars(begin, end, value);
  return error == std::errc() && stop == end && begin != end;
}

}  // namespace

void InitSettings(const DatabaseHandle& db) { CreateSettingsTable(db); }

void CreateSettingsTable(const DatabaseHandle& db) {
  using namespace DatabaseFunctions;
  EnsureTable(db, QStringLiteral("Settings"),
              {{QStringLiteral("SettingName"), dbText, QString()},
               {QStringLiteral("SettingType"), dbLong, 0},
               {QStringLiteral("SettingValue"), dbMemo, QString()}});
}

DatabaseHandle SettingsDatabase(Collection& collection) {
  const DatabaseHandle& db = collection.Db();
  if (!db || !db->IsOpen()) {
    ErrorFunctions::ShowError(
        QStringLiteral("A function failed."), true,
        DatabaseError(SQLITE_MISUSE, QStringLiteral("The settings database is not open."),
                      QStringLiteral("SettingsManager")));
    return {};
  }
  return db;
}

QVariant ReadSetting(Collection& collection, const QString& name, const QVariant& defaultValue) {
  const DatabaseHandle db = SettingsDatabase(collection);
  if (!db) return defaultValue;
  RecordsetPtr records = OpenRecords(Lookup(name), db);
  QVariant result = defaultValue;
  if (!NoRecords(records)) {
    FetchAllRecords(records);
    const QString text = records->Text(QStringLiteral("SettingValue"));
    const int kind = records->Long(QStringLiteral("SettingType"));
    bool ok = false;
    const QVariant converted = ConvertSetting(text, kind, &ok);
    if (ok) {
      result = converted;
    } else {
      // A value another tool wrote (or an older locale-formatted one) must not keep the user out
      // of the program: use the default and leave a trace.
      try {
        ErrorFunctions::LogError(QStringLiteral("Setting \"%1\" holds \"%2\", which is not a value "
                                                "of kind %3; the default was used.")
                                     .arg(name, text)
                                     .arg(kind));
      } catch (const DatabaseError&) {
      }
    }
  }
  CloseRecords(records);
  return result;
}

void WriteSetting(Collection& collection, const QString& name, const QVariant& value) {
  if (!value.isValid() || value.isNull()) {
    throw DatabaseError(SQLITE_MISMATCH, QStringLiteral("Invalid use of Null"),
                        QStringLiteral("WriteSetting"));
  }
  const DatabaseHandle db = SettingsDatabase(collection);
  if (!db) return;
  const int kind = KindOf(value);
  const QString text = TextForm(value);
  RecordsetPtr records = OpenRecords(Lookup(name), db);
  if (!NoRecords(records)) {
    FetchAllRecords(records);
    records->Edit();
    records->SetValue(QStringLiteral("SettingType"), kind);
    records->SetValue(QStringLiteral("SettingValue"), text);
    records->Update();
  } else {
    CloseRecords(records);
    records = OpenRecords(QStringLiteral("Select Settings.* From Settings"), db);
    records->AddNew();
    records->SetValue(QStringLiteral("SettingName"), name);
    records->SetValue(QStringLiteral("SettingValue"), text);
    records->SetValue(QStringLiteral("SettingType"), kind);
    records->Update();
  }
  CloseRecords(records);
  Changes::AnnounceSettings({name});
}

int KindOf(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Short:
      return vbInteger;
    case QMetaType::Int:
    case QMetaType::UShort:
      return vbLong;
    case QMetaType::Float:
      return vbSingle;
    case QMetaType::Double:
    case QMetaType::UInt:
      return vbDouble;
    case QMetaType::LongLong:
      return vbLongLong;
    case QMetaType::ULongLong:
      return vbULongLong;
    case QMetaType::QDate:
    case QMetaType::QDateTime:
      return vbDate;
    case QMetaType::Bool:
      return vbBoolean;
    case QMetaType::UChar:
      return vbByte;
    default:
      return vbString;
  }
}

QString TextForm(const QVariant& value) {
  switch (value.typeId()) {
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::Float:
      return NumberText(value.toFloat());
    case QMetaType::Double:
      return NumberText(value.toDouble());
    case QMetaType::QDate:
      return value.toDate().toString(Qt::ISODate);
    case QMetaType::QDateTime:
      return value.toDateTime().toString(u"yyyy-MM-ddTHH:mm:ss");
    case QMetaType::UChar:
      return QString::number(value.value<quint8>());
    default:
      return value.toString();
  }
}

QVariant ConvertSetting(const QString& text, int kind, bool* ok) {
  bool converted = true;
  QVariant result;
  const QLocale c = QLocale::c();
  const QString trimmed = text.trimmed();
  switch (kind) {
    case vbInteger:
      result = QVariant::fromValue<qint16>(c.toShort(trimmed, &converted));
      break;
    case vbLong:
      result = c.toInt(trimmed, &converted);
      break;
    case vbSingle: {
      float value = 0;
      converted = ParseNumber(trimmed, value);
      result = value;
      break;
    }
    case vbDouble:
    case vbCurrency:
    case vbDecimal: {
      double value = 0;
      converted = ParseNumber(trimmed, value);
      result = value;
      break;
    }
    case vbLongLong:
      result = c.toLongLong(trimmed, &converted);
      break;
    case vbULongLong:
      result = c.toULongLong(trimmed, &converted);
      break;
    case vbDate:
      if (trimmed.size() == 10) {
        const QDate date = QDate::fromString(trimmed, Qt::ISODate);
        converted = date.isValid();
        result = date;
      } else {
        QDateTime dateTime = QDateTime::fromString(trimmed, Qt::ISODate);
        if (!dateTime.isValid()) dateTime = QDateTime::fromString(trimmed, u"yyyy-MM-dd HH:mm:ss");
        converted = dateTime.isValid();
        result = dateTime;
      }
      break;
    case vbBoolean:
      if (trimmed.compare(u"True", Qt::CaseInsensitive) == 0 || trimmed == u"-1" ||
          trimmed == u"1") {
        result = true;
      } else if (trimmed.compare(u"False", Qt::CaseInsensitive) == 0 || trimmed == u"0") {
        result = false;
      } else {
        converted = false;
      }
      break;
    case vbByte: {
      const ushort value = c.toUShort(trimmed, &converted);
      converted = converted && value <= 255;
      result = QVariant::fromValue<quint8>(quint8(value));
      break;
    }
    case vbNull:
      result = QVariant();
      break;
    default:
      result = text;
      break;
  }
  if (ok) *ok = converted;
  return converted ? result : QVariant();
}

}  // namespace SettingsManager
