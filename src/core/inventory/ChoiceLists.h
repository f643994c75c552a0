#pragma once

#include <QStringList>

#include "inventory/DVDRecord.h"
#include "inventory/InventoryRecords.h"

class Collection;

// The choice lists of the Add/Edit and search dialogs: the distinct stored categories, ratings,
// stars and titles. Reading them means grouping the whole collection once per list, so they are
// kept between openings while the table stays as it was read, and brought up to date from the
// change notice after the program's own writes. What they hold is always what their statements
// would return at that moment; anything else that writes the table makes them be read again.
namespace ChoiceLists {

// The distinct stored values of Category, Rated, Starring or Title, in the engine's order.
QStringList Values(Collection& collection, InventoryFunctions::DVDField field);

// Reads the lists that are not kept on a worker thread, on a connection of its own, so that the
// next dialog finds them ready instead of making the user wait for the grouping. What it reads is
// kept only if the table has not moved since it began. From the first call on, the lists are read
// ahead again after every change they could not take in. Call on the user-interface thread.
void ReadAhead(Collection& collection);
// Stops a reading under way and waits for it; before the file is closed or replaced.
void StopReadingAhead(Collection& collection);
// Whether every list is kept for the table as it stands: a dialog opening now reads nothing.
bool Ready(Collection& collection);

}  // namespace ChoiceLists
