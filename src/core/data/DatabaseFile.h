#pragma once

#include <QString>

#include "data/Database.h"

// Whose file a database file is, decided before anything is written to it. Used by the opening
// and the clean-up of DatabaseFunctions; the rest of the program goes through those.
namespace DatabaseFile {

enum class Purpose {
  Use,     // the program is to work on it: its tables must have the shape the program needs
  Repair,  // the clean-up is to copy it as it is: only whose file it is matters
};

// The file a path stands for: the target of a link, so that a new file or a clean-up's rename
// lands there and the link stays. A link that leads nowhere (a drive not mounted, a circle of
// links) is refused with a message that names the link and its target.
QString ResolvedPath(const QString& path);

// Opens an existing file that is the program's own, or refuses it untouched: another program's
// file (SQLITE_NOTADB), a file of the program's own whose list of tables cannot be read
// (SQLITE_CORRUPT), tables of the wrong shape (SQLITE_NOTADB), a file that cannot be written
// (EACCES). Every message names the file.
DatabaseHandle OpenExisting(const QString& path, Purpose purpose);

}  // namespace DatabaseFile
