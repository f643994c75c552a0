#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

class Collection;

// The status report and the overdue check, composed from the collection as it is at the moment
// of the call: the windows only show and print these lines.
namespace InventoryFunctions {

// The status report, one text per line: totals, then the overdue loans with borrower, phone,
// dates and days overdue, the other loans, and the DVDs in stock, each list by title. An empty
// collection gives the short report (headings and "Total DVDs: 0.").
QStringList StatusReportLines(Collection& collection, const QDate& today);

// How many lent DVDs were due before today.
int OverdueCount(Collection& collection, const QDate& today);

// True when the collection holds at least one DVD.
bool HasDVDs(Collection& collection);

// Every DVD's title in title order (an absent title as empty text): the inventory list.
QStringList InventoryTitles(Collection& collection);

// The point size the status report is printed at: the "ReportFontSize" setting when it holds a
// usable size (a number from 4 to 72), else 10.
double ReportPointSize(Collection& collection);

}  // namespace InventoryFunctions
