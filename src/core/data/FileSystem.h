#pragma once

#include <QString>

// The few file operations that keep the database file safe: flushing to disk and atomic
// replacement. Failures throw DatabaseError with the errno value.
namespace FileSystem {

void SyncFile(const QString& path);
void SyncFolder(const QString& folder);
// rename(2): atomic on one file system; then flushes the folder so the new name survives a crash.
void RenameReplacing(const QString& from, const QString& to);
// Removes a file if it exists; a missing file is not an error.
void RemoveIfExists(const QString& path);
bool CanWrite(const QString& path);
// The id of another process that has the file open (as far as this user may see), 0 when none.
long OpenElsewhere(const QString& path);
// Replaces `to` with an exact copy of `from` (bytes and permissions), flushed to disk, through a
// temporary name: `to` is never half written. Throws DatabaseError with errno.
void CopyFlushed(const QString& from, const QString& to);

}  // namespace FileSystem
