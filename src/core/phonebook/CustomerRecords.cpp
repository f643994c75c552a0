#include "phonebook/CustomerRecords.h"

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "data/Database.h"
#include "data/Recordset.h"
#include "phonebook/CustomerFunctions.h"

namespace CustomerFunctions {

QString ColumnName(Field field) {
  switch (field) {
    case Field::Address:
      return QStringLiteral("Address");
    case Field::City:
      return QStringLiteral("City");
    case Field::State:
      return QStringLiteral("State");
    case Field::Zip:
      return QStringLiteral("Zip");
    case Field::Phone:
      return QStringLiteral("Phone");
    case Field::Fax:
      return QStringLiteral("Fax");
    case Field::Cell:
      return QStringLiteral("Cell");
    case Field::Email:
      return QStringLiteral("Email");
    case Field::Notes:
      return QStringLiteral("Notes");
  }
  return {};
}

std::optional<Customer> FindCustomer(Collection& collection, const QString& name) {
  RecordsetPtr records = OpenRecords(
      QStringLiteral("Select Customers.* From Customers Where Customers.Name = ") + SqlText(name),
      collection.Db());
  std::optional<Customer> found;
  // The first matching row is current right after opening; counting the matches first would
  // read the table once more.
  if (!NoRecords(records)) {
    Customer customer;
    customer.name = records->Text(QStringLiteral("Name"));
    for (const Field field : kFields) customer.Text(field) = records->Text(ColumnName(field));
    found = std::move(customer);
  }
  CloseRecords(records);
  return found;
}

QStringList BorrowerNames(Collection& collection) {
  QStringList names;
  RecordsetPtr records =
      OpenRecords(QStringLiteral("Select Customers.Name From Customers Order By Customers.Name"),
                  collection.Db());
  for (; !records->Eof(); records->MoveNext()) {
    const QString name = records->Text(0);
    if (!name.isEmpty()) names << name;
  }
  CloseRecords(records);
  return names;
}

QHash<QString, QString> EmailAddresses(Collection& collection) {
  QHash<QString, QString> addresses;
  RecordsetPtr records = OpenRecords(
      QStringLiteral(
          "Select Customers.Name, Customers.Email From Customers Order By Customers.rowid"),
      collection.Db());
  for (; !records->Eof(); records->MoveNext()) {
    const QString name = records->Text(0).toCaseFolded();
    if (!addresses.contains(name)) addresses.insert(name, records->Text(1).trimmed());
  }
  CloseRecords(records);
  return addresses;
}

namespace {

RecordsetPtr OpenName(Collection& collection, const QString& name) {
  return OpenRecords(
      QStringLiteral("Select Customers.Name From Customers Where Customers.Name = ") +
          SqlText(name),
      collection.Db());
}

}  // namespace

bool HasCustomer(Collection& collection, const QString& name) {
  RecordsetPtr records = OpenName(collection, name);
  const bool found = !NoRecords(records);
  CloseRecords(records);
  return found;
}

EntryOutcome SaveCustomer(Collection& collection, const Customer& customer, NameSpelling spelling) {
  if (customer.name.isEmpty()) return EntryOutcome::NameMissing;
  Changes::Batch batch;
  Transaction transaction(collection.Db());
  RecordsetPtr records =
      OpenRecords(QStringLiteral("Select Customers.* From Customers Where Customers.Name = ") +
                      SqlText(customer.name),
                  collection.Db());
  if (NoRecords(records)) {
    CloseRecords(records);
    records = OpenRecords(QStringLiteral("Select Customers.* From Customers"), collection.Db());
    records->AddNew();
    records->SetValue(QStringLiteral("Name"), customer.name);
  } else {
    records->Edit();
    if (spelling == NameSpelling::Typed) records->SetValue(QStringLiteral("Name"), customer.name);
  }
  // Every column as text: an empty box is stored as empty text, never as Null.
  for (const Field field : kFields) records->SetValue(ColumnName(field), customer.Text(field));
  records->Update();
  CloseRecords(records);
  Changes::AnnounceBorrowers({customer.name});
  transaction.Commit();
  batch.Commit();
  return EntryOutcome::Saved;
}

EntryOutcome DeleteCustomer(Collection& collection, const QString& name) {
  Changes::Batch batch;
  Transaction transaction(collection.Db());
  RecordsetPtr records = OpenName(collection, name);
  const bool found = !NoRecords(records);
  // Only the first row of that name goes, even if another writer stored it twice.
  if (found) records->Delete();
  CloseRecords(records);
  if (!found) return EntryOutcome::Gone;
  Changes::AnnounceBorrowers({name});
  transaction.Commit();
  batch.Commit();
  return EntryOutcome::Saved;
}

}  // namespace CustomerFunctions
