#pragma once

#include <QString>
#include <vector>

#include "data/Database.h"

// Whose file a database file is, decided before anything is written to it. Used by the opening
// and the clean-up of DatabaseFunctions; the rest of the program goes through those.
namespace DatabaseFile {

enum class Purpose {
  Use,      // the program is to work on it: its tables must have the shape the program needs
  Repair,   // the clean-up is to copy it as it is: only whose file it is matters
  Inspect,  // a candidate for a restore: checked as for Use, but opened read-only and unchanged
};

// One entry of a file's schema that has SQL of its own (a table, view, index or trigger; not
// SQLite's own, nor the tables a virtual table keeps its rows in), as it was made.
struct SchemaEntry {
  QString type;
  QString name;
  QString sql;
};
// The entries in the order they were made. Throws DatabaseError when the list cannot be read.
std::vector<SchemaEntry> ReadSchema(Database& db);

// Whether a table is one of the derived tables (DatabaseFunctions::DeclareDerivedTable).
bool IsDerivedTable(const QString& name);

// The file a path stands for: the target of a link, so that a new file or a clean-up's rename
// lands there and the link stays. A link that leads nowhere (a drive not mounted, a circle of
// links) is refused with a message that names the link and its target.
QString ResolvedPath(const QString& path);

// Opens an existing file that is the program's own, or refuses it untouched: another program's
// file (SQLITE_NOTADB), a file of the program's own whose list of tables cannot be read
// (SQLITE_CORRUPT), tables of the wrong shape (SQLITE_NOTADB), a file that cannot be written
// (EACCES; not checked for Inspect). Every message names the file.
DatabaseHandle OpenExisting(const QString& path, Purpose purpose);

}  // namespace DatabaseFile
