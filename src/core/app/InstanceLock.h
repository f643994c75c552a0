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

}  // namespace AppFunctions
