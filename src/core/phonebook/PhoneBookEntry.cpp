#include "phonebook/PhoneBookEntry.h"

#include "app/Collection.h"
#include "data/Recordset.h"
#include "phonebook/CustomerFunctions.h"
#include "seams/MessageBox.h"

namespace PhoneBookEntry {
namespace {

const QString kAllNames =
    QStringLiteral("Select Customers.* From Customers Order By Customers.Name");
const QString kEntryOf =
    QStringLiteral("Select Customers.* From Customers Where Customers.Name = ");

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

CustomerFunctions::Customer Typed(const Form& form) {
  CustomerFunctions::Customer customer;
  customer.name = form.NameText();
  for (const Field field : kFields) customer.Text(field) = form.FieldText(field);
  return customer;
}

}  // namespace

void LoadPhoneNames(Collection& collection, Form& form) {
  QStringList names;
  RecordsetPtr records = OpenRecords(kAllNames, collection.Db());
  // Walking the rows once is enough; counting them first would read the table twice.
  for (; !records->Eof(); records->MoveNext()) names << records->Text(QStringLiteral("Name"));
  CloseRecords(records);
  form.SetNames(names);
}

void LoadPhoneBookInfo(Collection& collection, Form& form) {
  const QString name = form.NameText();
  if (name.isEmpty()) {
    ClearPhoneBookInfo(form);
    return;
  }
  RecordsetPtr records = OpenRecords(kEntryOf + SqlText(name), collection.Db());
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

void SavePhoneInfo(Collection& collection, Form& form) {
  if (NameMissing(form,
                  QStringLiteral("You must enter a name before you can save a phone book entry.")))
    return;
  // A new entry is stored without asking; the name typed over a stored one becomes its spelling.
  if (!CustomerFunctions::HasCustomer(collection, form.NameText()) ||
      Confirmed(QStringLiteral("Are you sure you wish to save this info?"))) {
    CustomerFunctions::SaveCustomer(collection, Typed(form),
                                    CustomerFunctions::NameSpelling::Typed);
  }
  form.Refresh();
}

void DelPhoneInfo(Collection& collection, Form& form, const QString& note) {
  if (NameMissing(
          form, QStringLiteral("You must enter a name before you can delete a phone book entry.")))
    return;
  if (CustomerFunctions::HasCustomer(collection, form.NameText())) {
    QString question = QStringLiteral("Are you sure you wish to delete this entry?");
    if (!note.isEmpty()) question += QStringLiteral("\n\n") + note;
    if (Confirmed(question)) {
      CustomerFunctions::DeleteCustomer(collection, form.NameText());
    }
  } else {
    seams::ShowMessage(QStringLiteral("Could not find the name you entered."),
                       QStringLiteral("Name Not Found"), seams::MsgIcon::Information);
  }
  form.Refresh();
}

}  // namespace PhoneBookEntry
