#pragma once

#include <QString>
#include <QStringList>

#include "app/DatabaseHandle.h"

// The phone book: table Customers, one row per person DVDs are lent to, found by name.
namespace CustomerFunctions {

// The columns in creation order; all text, Notes a memo. Email came last, after Notes.
const QStringList& CustomerColumns();

// Makes or extends the phone book's table.
void InitCustomers(const DatabaseHandle& db);
void CreateCustomersTable(const DatabaseHandle& db);

}  // namespace CustomerFunctions
