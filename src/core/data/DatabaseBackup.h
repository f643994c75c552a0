#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

#include "app/BackupContents.h"
#include "app/DatabaseError.h"
#include "data/Database.h"

// Copies of the collection a user can go back to: made from the open database with SQLite's
// online backup API, kept in a "Backups" folder beside it, looked at before a restore, and put
// back in one rename.
namespace DatabaseBackup {

// Told now and then how far a long copy or check has come (done out of total, in units of its
// own); false asks it to stop. Called on the working thread, every few tens of milliseconds.
using Progress = std::function<bool(qint64 done, qint64 total)>;
// The stretch of whole from start to start + length (out of total) that one step of a longer
// piece of work reports through: the step tells its own done and total.
Progress Stretch(const Progress& whole, qint64 start, qint64 length, qint64 total);
// The failure a Progress that answered false ends its work with (SQLITE_INTERRUPT).
bool IsStopped(const DatabaseError& error);

// Writes a consistent copy of the open database to target: made under a temporary name in the
// target's folder, readable by the user alone (0600), flushed and renamed into place, so that
// target is never a partial copy. An existing target is replaced. Stopped through progress, it
// leaves target as it was. Throws DatabaseError.
void BackUp(const DatabaseHandle& db, const QString& target, const Progress& progress = {});

// "<collection's folder>/Backups".
QString BackupFolder(const QString& databasePath);
// The automatic copies of the collection in its Backups folder, newest first.
QStringList AutomaticBackups(const QString& databasePath);
// Makes an automatic copy "<collection name>-<yyyyMMdd-HHmmss>.mdb" in the Backups folder (made
// when missing), then removes the oldest beyond `keep`. Returns the new copy's path. The
// collection is db's file, unless db is another copy of it (the collection as it was before a
// restore), named by `collection`.
QString BackUpAutomatically(const DatabaseHandle& db, int keep, const QDateTime& now,
                            const QString& collection = {}, const Progress& progress = {});

using BackupInfo = BackupContents;
// Opens the file read-only and checks it as a start checks a collection (the program's own
// file, its tables' shapes), then its integrity; counts what it holds. Stopped through progress,
// it says only that (cancelled).
BackupInfo Inspect(const QString& backup, const Progress& progress = {});

// The moments of a restore, in order, as the step hook sees them.
enum class RestoreStep { Started, CopyWritten, CopyFlushed, CurrentKept, Replaced };

// Puts a copy of backup in the place of the collection at `current` (closed by the caller),
// keeping the collection as it was as "<current>.before-restore". A backup that Inspect does not
// find usable is refused (SQLITE_NOTADB or SQLITE_CORRUPT) and nothing changes; killed at any
// moment, `current` is the old collection or the whole new one. Throws DatabaseError. Progress
// covers the check and the copy, and may stop either (nothing changes then); the few steps
// after them, which keep the collection aside and rename the copy into its place, always run
// to their end.
void Restore(const QString& backup, const QString& current, const Progress& progress = {});

// Tests only: called at each step of a restore, so that a child process can end itself there.
void SetRestoreStepHook(std::function<void(RestoreStep)> hook);

}  // namespace DatabaseBackup
