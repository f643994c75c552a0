#pragma once

#include <QString>

// The single-instance lock: an exclusive flock on a small file that only this user can own. The
// kernel drops the lock when the process ends in any way, so a killed copy never blocks the next.
namespace AppFunctions {

// release = false takes the lock: true when this process now holds it, false when another copy
// holds it (or this process asked before). release = true gives it back and returns true.
// A lock file that cannot be used at all (not creatable, not the user's own) throws DatabaseError.
bool InstanceLock(bool release);

// Where the lock file lives: $XDG_RUNTIME_DIR/ReelKeeperMutex when that folder is the user's own,
// else /tmp/ReelKeeperMutex-<uid>.
QString InstanceLockPath();

// The lock on one collection file, which every copy that opens the file takes, whatever its
// session or runtime folder: an exclusive flock on "<file>.lock" beside the file (not on the file
// itself, which a clean-up replaces). True when this process now holds it for that file (asking
// again for the same file is true too), false when another process holds it. Where no lock file
// can be made (a folder that cannot be written), true without a lock: no copy can write there,
// and the opening says why.
bool CollectionLock(const QString& databasePath);
// Gives the collection lock back and removes its file.
void ReleaseCollectionLock();
QString CollectionLockPath(const QString& databasePath);

}  // namespace AppFunctions
