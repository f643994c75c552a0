#pragma once

#include <QString>
#include <QVariant>

#include "app/DatabaseHandle.h"

class Collection;

// Named, typed values in table Settings: preferences and window layout.
namespace SettingsManager {

// The kind codes stored in SettingType.
enum SettingKind : int {
  vbNull = 1,
  vbInteger = 2,
  vbLong = 3,
  vbSingle = 4,
  vbDouble = 5,
  vbCurrency = 6,
  vbDate = 7,
  vbString = 8,
  vbBoolean = 11,
  vbDecimal = 14,
  vbByte = 17,
  // Whole numbers of 64 bits (COM's VT_I8 and VT_UI8): a Double would round those above 2^53.
  vbLongLong = 20,
  vbULongLong = 21,
};

// Makes or extends the settings' table.
void InitSettings(const DatabaseHandle& db);
void CreateSettingsTable(const DatabaseHandle& db);
// The collection's database; when none is open, reports "A function failed." and returns none.
DatabaseHandle SettingsDatabase(Collection& collection);

// The stored value in the kind it was written in, or defaultValue when the name is not stored
// (or its stored text does not convert, which is logged to "ErrorLog").
QVariant ReadSetting(Collection& collection, const QString& name, const QVariant& defaultValue);
// Updates the row of that name, or adds one. Numbers and dates are written in a form that does
// not depend on the user's locale.
void WriteSetting(Collection& collection, const QString& name, const QVariant& value);
// The text as a value of the given kind; *ok (when given) tells whether it converted.
QVariant ConvertSetting(const QString& text, int kind, bool* ok = nullptr);

int KindOf(const QVariant& value);
QString TextForm(const QVariant& value);

}  // namespace SettingsManager
