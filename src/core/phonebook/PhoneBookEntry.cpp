#include "phonebook/PhoneBookEntry.h"

#include "data/Recordset.h"
#include "phonebook/CustomerFunctions.h"
#include "seams/MessageBox.h"

namespace PhoneBookEntry {
namespace {

const QString kAllNames =
    QStringLiteral("Select Customers.* From Customers Order By Customers.Name");
const QString kEntryOf =
    QStringLiteral("Select Customers.* From Customers Where Customers.Name = ");
const QString kNameOf =
    QStringLiteral("Select Customers.Name From Customers Where Customers.Name = ");
const QString kWholeTable = QStringLiteral("Select Customers.* From Customers");

bool NameMissing(Form& form, const QString& text) {
  if (!form.NameText().isEmpty()) return false;
  seams::ShowMessage(text, QStringLiteral("Name Required"), seams::MsgIcon::Information);
  form.FocusName();
  return true;
}

bool Confirmed(const QString& question) {
  return seams::ShowMessage(question, QStringLiteral("Confirm"), seams::MsgIcon::Question,
                            seams::MsgButtons::YesNo,
                            seams::MsgAnswer::Yes) == seams::MsgAnswer::Yes;
}

// Every column from the boxes, as text: an empty box is stored as empty text, never as Null.
void WriteEntry(Recordset& records, const Form& form) {
  records.SetValue(QStringLiteral("Name"), form.NameText());
  for (const Field field : kFields) records.SetValue(ColumnName(field), form.FieldText(field));
  records.Update();
}

}  // namespace

void LoadPhoneNames(Form& form) {
  QStringList names;
  RecordsetPtr records = OpenRecords(kAllNames, CustomerFunctions::CustomersDatabase());
  // Walking the rows once is enough; counting them first would read the table twice.
  for (; !records->Eof(); records->MoveNext()) names << records->Text(QStringLiteral("Name"));
  CloseRecords(records);
  form.SetNames(names);
}

void LoadPhoneBookInfo(Form& form) {
  const QString name = form.NameText();
  if (name.isEmpty()) {
    ClearPhoneBookInfo(form);
    return;
  }
  RecordsetPtr records =
      OpenRecords(kEntryOf + SqlText(name), CustomerFunctions::CustomersDatabase());
  if (NoRecords(records)) {
    ClearPhoneBookInfo(form);
  } else {
    // The first matching row is current right after opening.
    for (const Field field : kFields) form.SetFieldText(field, records->Text(ColumnName(field)));
  }
  CloseRecords(records);
}

void ClearPhoneBookInfo(Form& form) {
  for (const Field field : kFields) form.SetFieldText(field, QString());
}

void SavePhoneInfo(Form& form) {
  if (NameMissing(form,
                  QStringLiteral("You must enter a name before you can save a phone book entry.")))
    return;
  RecordsetPtr records =
      OpenRecords(kEntryOf + SqlText(form.NameText()), CustomerFunctions::CustomersDatabase());
  if (NoRecords(records)) {
    CloseRecords(records);
    records = OpenRecords(kWholeTable, CustomerFunctions::CustomersDatabase());
    records->AddNew();
    WriteEntry(*records, form);
  } else if (Confirmed(QStringLiteral("Are you sure you wish to save this info?"))) {
    // Name included, so the stored spelling (letter case too) becomes the one typed.
    records->Edit();
    WriteEntry(*records, form);
  }
  CloseRecords(records);
  form.Refresh();
}

void DelPhoneInfo(Form& form) {
  if (NameMissing(
          form, QStringLiteral("You must enter a name before you can delete a phone book entry.")))
    return;
  RecordsetPtr records =
      OpenRecords(kNameOf + SqlText(form.NameText()), CustomerFunctions::CustomersDatabase());
  if (!NoRecords(records)) {
    // Only the first row of that name goes, even if another writer stored it twice.
    if (Confirmed(QStringLiteral("Are you sure you wish to delete this entry?"))) records->Delete();
  } else {
    seams::ShowMessage(QStringLiteral("Could not find the name you entered."),
                       QStringLiteral("Name Not Found"), seams::MsgIcon::Information);
  }
  CloseRecords(records);
  form.Refresh();
}

}  // namespace PhoneBookEntry
