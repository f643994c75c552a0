#pragma once

#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

#include "app/BackupContents.h"
#include "app/DatabaseError.h"

#include "app/DatabaseHandle.h"

class Collection;

// The collection's backups as the running program makes and uses them: a copy the user asks for,
// the automatic copies before work that replaces the file (and once a day at exit), and putting a
// backup back in the collection's place while the program runs.
namespace CollectionBackups {

// How many automatic copies are kept when the setting "BackupsKept" is not stored.
constexpr int kDefaultKept = 7;
constexpr int kMostKept = 99;
int KeptCount(Collection& collection);

// Told now and then how far a long copy or check has come (done out of total); false asks it to
// stop.
using Progress = std::function<bool(qint64 done, qint64 total)>;
void SetKeptCount(Collection& collection, int count);

// The open collection's file, and the folder of its automatic copies beside it.
QString CollectionPath(Collection& collection);
QString BackupFolder(Collection& collection);

// Writes a consistent copy of the open collection to target while the program goes on; the
// target is never a partial copy; stopped through progress, it leaves target as it was. Throws
// DatabaseError.
void BackUpTo(Collection& collection, const QString& target, const Progress& progress = {});

// An automatic copy of the collection (its open database, or its file when none is open, such as
// a damaged file found at start) in the Backups folder, keeping the newest KeptCount() copies.
// Returns the copy's path. Throws DatabaseError.
QString BackUpAutomatically(Collection& collection);
// The copy at exit: made only when no automatic copy was made today, so that a day of many short
// sessions does not push the older days' copies out. Returns the copy's path, or empty text.
QString BackUpAtExit(Collection& collection);

using Contents = BackupContents;
Contents Inspect(const QString& backup, const Progress& progress = {});

// Where the collection as it was is kept by a restore.
QString KeptAsidePath(Collection& collection);

// Puts the backup in the collection's place: the collection is closed, kept aside (and copied to
// the Backups folder as well), replaced and opened again in the same collection, and every view is
// told to read everything again. A backup that is not usable is refused and nothing changes.
// Returns the failure when nothing was restored (the collection is then as it was, and open again);
// throws DatabaseError only when the collection cannot be opened again. Progress may stop the
// restore until the backup is copied (the failure then is Stopped); what follows runs to its end.
std::optional<DatabaseError> Restore(Collection& collection, const QString& backup,
                                     const Progress& progress = {});
// The failure of work that progress stopped.
bool Stopped(const DatabaseError& error);

}  // namespace CollectionBackups
