#pragma once

#include <QStringList>

#include "inventory/DVDRecord.h"
#include "inventory/InventoryRecords.h"

// The choice lists of the Add/Edit and search dialogs: the distinct stored categories, ratings,
// stars and titles. Reading them means grouping the whole collection once per list, so they are
// kept between openings while the table stays as it was read, and brought up to date in step with
// the writes of the program's own commands. What they hold is always what their statements would
// return at that moment; anything else that writes the table makes them be read again.
namespace ChoiceLists {

// The distinct stored values of Category, Rated, Starring or Title, in the engine's order.
QStringList Values(InventoryFunctions::DVDField field);

// Reads the lists that are not kept on a worker thread, on a connection of its own, so that the
// next dialog finds them ready instead of making the user wait for the grouping. What it reads is
// kept only if the table has not moved since it began. Call on the user-interface thread.
void ReadAhead();
// Stops a reading under way and waits for it; before the file is closed or replaced.
void StopReadingAhead();
// Whether every list is kept for the table as it stands: a dialog opening now reads nothing.
bool Ready();

// Takes in a write just made whose only change to the four columns was one DVD's going from
// `before` to `after` (an added DVD has no before); `start` is where the table stood just before
// the write.
void TakeIn(const InventoryFunctions::InventoryMark& start,
            const InventoryFunctions::DVDRecord* before,
            const InventoryFunctions::DVDRecord& after);
// A write just made that left the four columns as they were (a loan, a return).
void Untouched(const InventoryFunctions::InventoryMark& start);

}  // namespace ChoiceLists
