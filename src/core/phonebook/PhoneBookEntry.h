#pragma once

#include <QString>
#include <QStringList>
#include <array>

#include "phonebook/CustomerRecords.h"

class Collection;

// The five record operations of a phone book view, written once over an abstract entry form so
// that the phone book window and the main window's phone book tab share them. The view supplies
// its boxes through PhoneBookEntry::Form; the operations read and write table Customers on the
// phone book owner's database and ask their questions through seams::ShowMessage.
namespace PhoneBookEntry {

// The nine boxes of an entry besides the name.
using Field = CustomerFunctions::Field;
using CustomerFunctions::ColumnName;
using CustomerFunctions::kFields;

class Form {
 public:
  virtual ~Form() = default;

  virtual QString NameText() const = 0;
  virtual QString FieldText(Field field) const = 0;
  virtual void SetFieldText(Field field, const QString& text) = 0;
  // Replaces the view's list of names. A view whose name box holds the list itself (the tab's
  // combo box) keeps its name only when the new list has an item exactly equal to it.
  virtual void SetNames(const QStringList& names) = 0;
  // Puts the keyboard focus into the name box (after a "Name Required" message).
  virtual void FocusName() = 0;
  // Shows the table's state again after a save or delete.
  virtual void Refresh() = 0;
};

// All names in the engine's name order, as the view's name list.
void LoadPhoneNames(Collection& collection, Form& form);
// The entry whose name equals the name box (letter case ignored), or empty fields.
void LoadPhoneBookInfo(Collection& collection, Form& form);
// Empties the nine field boxes; the name box and the name list are left alone.
void ClearPhoneBookInfo(Form& form);
// Stores a new entry without asking, or overwrites the stored one after "Confirm"; then Refresh.
void SavePhoneInfo(Collection& collection, Form& form);
// Deletes the first entry of that name after "Confirm"; then Refresh. A note (what the borrower
// still has) follows the question after a blank line.
void DelPhoneInfo(Collection& collection, Form& form, const QString& note = QString());

}  // namespace PhoneBookEntry
