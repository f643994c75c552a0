#include "phonebook/CustomerFunctions.h"

#include "data/DatabaseFunctions.h"

namespace CustomerFunctions {
namespace {

DatabaseHandle customersDatabase;

}  // namespace

const QStringList& CustomerColumns() {
  static const QStringList columns = {
      QStringLiteral("Name"),  QStringLiteral("Address"), QStringLiteral("City"),
      QStringLiteral("State"), QStringLiteral("Zip"),     QStringLiteral("Phone"),
      QStringLiteral("Fax"),   QStringLiteral("Cell"),    QStringLiteral("Notes")};
  return columns;
}

void InitCustomers(const DatabaseHandle& db) {
  customersDatabase = db;
  CreateCustomersTable();
}

void CreateCustomersTable() {
  using namespace DatabaseFunctions;
  bool created = false;
  TableDef table = EnsureTableDef(customersDatabase, QStringLiteral("Customers"), created);
  for (const QString& column : CustomerColumns()) {
    EnsureField(table, column, column == u"Notes" ? dbMemo : dbText, QString(u""_qs));
  }
  if (created) AppendTableDef(table);
}

DatabaseHandle CustomersDatabase() { return customersDatabase; }

}  // namespace CustomerFunctions
