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

}  // namespace FileSystem
