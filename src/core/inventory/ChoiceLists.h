#pragma once

#include <QStringList>

#include "inventory/DVDRecord.h"
#include "inventory/InventoryRecords.h"

// The Add/Edit dialog's three choice lists: the distinct stored categories, ratings and stars.
// Reading them means grouping the whole collection three times, so they are kept between
// openings while the table stays as it was read, and brought up to date in step with the writes
// of the program's own commands. What they hold is always what the three statements would return
// at that moment; anything else that writes the table makes them be read again.
namespace ChoiceLists {

// The distinct stored values of Category, Rated or Starring, in the engine's order.
QStringList Values(InventoryFunctions::DVDField field);

// Takes in a write just made whose only change to the three columns was one DVD's going from
// `before` to `after` (an added DVD has no before); `start` is where the table stood just before
// the write.
void TakeIn(const InventoryFunctions::InventoryMark& start,
            const InventoryFunctions::DVDRecord* before,
            const InventoryFunctions::DVDRecord& after);
// A write just made that left the three columns as they were (a loan, a return).
void Untouched(const InventoryFunctions::InventoryMark& start);

}  // namespace ChoiceLists
