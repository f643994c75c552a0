#pragma once

#include <QStringList>

#include "inventory/DVDRecord.h"

// A DVD as a row of the program's CSV export: the Inventory columns under their own names,
// status as its number, dates as ISO 8601 (year-month-day), so that the import maps the file
// back column for column.
namespace DvdCsv {

QStringList Header();
QStringList Fields(const InventoryFunctions::DVDRecord& dvd);

}  // namespace DvdCsv
