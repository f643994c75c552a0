#pragma once

#include <QString>
#include <functional>
#include <optional>

#include "app/CleanupSummary.h"
#include "app/DatabaseError.h"
#include "app/DatabaseHandle.h"

class Collection;

namespace seams {
class ProgressSink;
}

// What the running program does with its database as a whole, above the table owners: bringing
// the tables up to date through their owners, and the clean-up the user starts from the About
// window. After a clean-up the change notice tells every view to read everything again.
namespace DatabaseMaintenance {

// Hands the database to the three table owners in their fixed order (settings, inventory, phone
// book); each creates or extends its tables. One transaction, one flush. A new file gets them
// before it takes its name.
void InitTablesOn(const DatabaseHandle& db);

// Opens the file (creating it when it is missing) as the collection's database, in place of the
// one open, and brings its tables up to date. The collection knows the path even when opening
// fails (DatabaseError), so that a damaged file can be repaired and opened again.
void Open(Collection& collection, const QString& path);
// Closes the collection's database; its path stays known.
void Close(Collection& collection);

struct CleanUpResult {
  QString path;  // the database file
  CleanupSummary cleaned;
  // Set when the clean-up failed: the file is as it was, and open again.
  std::optional<DatabaseError> failure;
  // The automatic copy made first; empty when it could not be made.
  QString backup;
  // The copy failed and the user chose not to clean up without one: nothing was done.
  bool declined = false;
};

// Makes an automatic copy of the file first (CollectionBackups); when that fails, the user is
// told why and asked whether to clean up all the same. Then repairs and compacts the
// collection's file (progress texts go to progress; busy is told
// true before the work and false after it), then opens the cleaned file again in the same
// collection, so that the program goes on with it. The file is whole at every step; when
// the clean-up fails, the file is opened again all the same and the result names the failure.
// Only a file that cannot be opened again throws (DatabaseError): nothing can go on without it.
CleanUpResult CleanUpDatabase(Collection& collection, seams::ProgressSink* progress,
                              const std::function<void(bool)>& busy = {});

// What must stop before the file is replaced by a clean-up or a restore: the running program's
// background check, which reads the file on a connection of its own and would otherwise report
// on the file set aside. Installed once at start.
void SetBeforeReplacing(std::function<void()> stop);
void StopBeforeReplacing();

// Opens the collection's file again after it was replaced (a restore or a repair) and tells
// every view to read everything again.
void Reopen(Collection& collection);

}  // namespace DatabaseMaintenance
