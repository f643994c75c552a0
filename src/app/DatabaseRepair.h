#pragma once

#include <QString>
#include <functional>

#include "data/Database.h"

class Collection;
class DatabaseError;

// A damaged collection is offered the clean-up's salvage: at start, when opening or loading it
// meets the damage, and while running, when a quick check on a worker thread finds damage that
// would only show at a later write.
namespace DatabaseRepair {

enum class When { AtStart, WhileRunning };

// Asks whether to repair the file now, naming it and what was found. Escape answers No, which
// leaves the file as it is (at start the program then ends; while running it goes on).
bool OfferRepair(const QString& path, const QString& finding, When when);

// Salvages the file: every row that can still be read goes into a fresh copy that takes the
// file's name, and the damaged original is kept beside it. Then tells the user how many rows of
// each table were kept. The collection's database (when one is open) is closed first; the caller
// opens the file again. A salvage that fails throws DatabaseError and leaves the file as it was.
void Repair(Collection& collection);

// Tells the user that the repair did not succeed and what happens now.
void ReportFailure(const QString& path, const DatabaseError& error, When when);

// Starts the quick check of the file on a worker thread. When it finds damage, the repair is
// offered once no dialog is open; `repair` runs when the user accepts.
void StartQuickCheck(const QString& path, std::function<void()> repair);
// Stops a running check and waits for its thread; nothing is offered afterwards.
void StopQuickCheck();

}  // namespace DatabaseRepair
