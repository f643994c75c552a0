#include "phonebook/CustomerFunctions.h"

#include "data/DatabaseFunctions.h"

namespace CustomerFunctions {
namespace {

// The file check knows the table as one of the program's and checks its shape.
[[maybe_unused]] const bool kDeclared =
    DatabaseFunctions::DeclareTable(QStringLiteral("Customers"));

}  // namespace

const QStringList& CustomerColumns() {
  static const QStringList columns = {
      QStringLiteral("Name"), QStringLiteral("Address"), QStringLiteral("City"),
      QStringLiteral("State"), QStringLiteral("Zip"), QStringLiteral("Phone"),
      QStringLiteral("Fax"), QStringLiteral("Cell"), QStringLiteral("Notes"),
      // Not among the first nine: added at the end, so that older files gain it where it goes.
      QStringLiteral("Email")};
  return columns;
}

void InitCustomers(const DatabaseHandle& db) { CreateCustomersTable(db); }

void CreateCustomersTable(const DatabaseHandle& db) {
  using namespace DatabaseFunctions;
  std::vector<FieldDef> fields;
  for (const QString& column : CustomerColumns()) {
    fields.push_back({column, column == u"Notes" ? dbMemo : dbText, QString(u""_qs)});
  }
  EnsureTable(db, QStringLiteral("Customers"), fields);
}

}  // namespace CustomerFunctions
