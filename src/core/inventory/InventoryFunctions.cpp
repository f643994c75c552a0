#include "inventory/InventoryFunctions.h"

#include "data/DatabaseFunctions.h"
#include "inventory/ChoiceLists.h"
#include "inventory/ListOrder.h"
#include "inventory/LoanJournal.h"
#include "inventory/TitleIndex.h"

namespace InventoryFunctions {
namespace {

// The file check knows the table as one of the program's and checks its shape.
[[maybe_unused]] const bool kDeclared =
    DatabaseFunctions::DeclareTable(QStringLiteral("Inventory"));

}  // namespace

const std::vector<ColumnSpec>& InventoryColumns() {
  using namespace DatabaseFunctions;
  static const std::vector<ColumnSpec> columns = {
      {QStringLiteral("DVDTitle"), dbText, QString(), QStringLiteral("Title"), true},
      {QStringLiteral("Category"), dbText, QString(), QStringLiteral("Category"), true},
      {QStringLiteral("Starring"), dbText, QString(), QStringLiteral("Starring"), true},
      {QStringLiteral("Rated"), dbText, QString(), QStringLiteral("Rated"), true},
      {QStringLiteral("Status"), dbLong, 0, QStringLiteral("Status"), true},
      {QStringLiteral("Name"), dbText, QString(), QStringLiteral("Name"), false},
      {QStringLiteral("Date"), dbDate, DefaultLoanDate(), QStringLiteral("Loaned Date"), false},
      {QStringLiteral("DueDate"), dbDate, DefaultLoanDate(), QStringLiteral("Due Date"), true},
      {QStringLiteral("Description"), dbMemo, QString(), QStringLiteral("Description"), false},
      {QStringLiteral("BarCode"), dbText, QString(), QStringLiteral("Bar Code"), false},
  };
  return columns;
}

QDate DefaultLoanDate() { return QDate(2000, 1, 1); }

void InitInventory(const DatabaseHandle& db) {
  CreateInventoryTable(db);
  InitLoanJournal(db);
}

void CreateInventoryTable(const DatabaseHandle& db) {
  using namespace DatabaseFunctions;
  std::vector<FieldDef> fields;
  for (const ColumnSpec& column : InventoryColumns()) {
    fields.push_back({column.name, column.type, column.defaultValue});
  }
  TableDef table = EnsureTable(db, QStringLiteral("Inventory"), fields);
  // Written at every start, so that captions or visibility changed by anyone else are put back.
  for (const ColumnSpec& column : InventoryColumns()) {
    EnsureFieldProperty(table, column.name, QStringLiteral("VisibleName"), dbText,
                        column.visibleName);
    EnsureFieldProperty(table, column.name, QStringLiteral("ShowInList"), dbBoolean,
                        column.showInList);
  }
  CreateListOrderTable(db);
  ChoiceLists::CreateChoiceKeysTable(db);
  TitleIndex::CreateTitleIndex(db);
}

QString StatusText(qint32 status) {
  switch (status) {
    case InStock:
      return QStringLiteral("In Stock");
    case Loaned:
      return QStringLiteral("Loaned");
    case Rented:
      return QStringLiteral("Rented");
    case Sold:
      return QStringLiteral("Sold");
    default:
      return QStringLiteral("Unknown");
  }
}

bool IsOverdue(qint32 status, const QDateTime& dueDate, const QDate& today) {
  // A due date with a time of day still counts as that whole day: today must be a later day.
  return status != InStock && dueDate.isValid() && today > dueDate.date();
}

}  // namespace InventoryFunctions
