#pragma once

#include <QString>

// Where the database file lives: the program's own folder when it may be written there, else the
// user's data folder (an installed copy sits in a folder only the administrator may write).
namespace AppFunctions {

// The full path of "ReelKeeper.mdb" for this process.
QString DatabasePath();

// The same choice for a given program folder; the result's folder may not exist yet. A collection
// already in a program folder that cannot be written is never passed over for a new, empty one:
// that throws DatabaseError with a message naming the file and what the user can do.
QString DatabasePathFor(const QString& programFolder);

// The folder of the running executable (from /proc/self/exe).
QString ProgramFolder();

// $XDG_DATA_HOME/ReelKeeper, or ~/.local/share/ReelKeeper when XDG_DATA_HOME is unset or not an
// absolute path.
QString UserDataFolder();

}  // namespace AppFunctions
