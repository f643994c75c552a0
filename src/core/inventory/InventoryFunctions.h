#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <vector>

#include "app/DatabaseHandle.h"

// The DVD record: table Inventory, its status codes and the overdue rule.
namespace InventoryFunctions {

enum Status : qint32 { InStock = 0, Loaned = 1, Rented = 2, Sold = 3 };

struct ColumnSpec {
  QString name;
  short type;
  QVariant defaultValue;
  QString visibleName;
  bool showInList;
};

// The ten columns in table order, with their captions and list visibility.
const std::vector<ColumnSpec>& InventoryColumns();
// Loan date and due date of a DVD never lent: equal dates mean "no due date to show".
QDate DefaultLoanDate();

// Makes or extends the inventory's tables (Inventory, Loans, the list's order).
void InitInventory(const DatabaseHandle& db);
void CreateInventoryTable(const DatabaseHandle& db);

QString StatusText(qint32 status);
// Lent (any status but 0) and today later than the due date.
bool IsOverdue(qint32 status, const QDateTime& dueDate, const QDate& today);

}  // namespace InventoryFunctions
