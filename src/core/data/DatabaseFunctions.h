#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <optional>
#include <vector>

#include "app/CleanupSummary.h"
#include "data/Database.h"

namespace seams {
class ProgressSink;
}

// Opening and creating a database file, and the mechanism by which the table owners create and
// extend their tables at every start. Which file is open is the collection's (app/Collection.h).
namespace DatabaseFunctions {

// The engine's field type codes, as the table owners pass them.
enum FieldType : short {
  dbBoolean = 1,
  dbLong = 4,
  dbDate = 8,
  dbText = 10,
  dbMemo = 12,
  // A table's own key: a whole number the engine gives each new row, kept through clean-ups.
  dbKey = 30,
};

// The program's mark in the SQLite header, so that its files can be told from other programs'.
constexpr qint32 kApplicationId = 0x52654B70;  // "ReKp"
constexpr int kSchemaVersion = 1;

// What a new database file gets before it takes its name (the program's tables). Without one a
// new file holds only the engine's own set-up.
using NewDatabaseSetUp = std::function<void(const DatabaseHandle&)>;

// Opens the file, or creates it when it is missing or empty. A new file is made under a
// temporary name, set up by setUpNew and renamed into place.
// Whether a file is usable is decided before anything is written to it: a file that is not one
// of the program's databases is refused untouched (SQLITE_NOTADB), one of the program's own
// that is damaged raises SQLITE_CORRUPT. Opening a file also removes what an interrupted
// clean-up left beside it.
DatabaseHandle OpenOrCreateDatabase(const QString& path, const NewDatabaseSetUp& setUpNew = {});

// The program's own tables, each declared once beside its owner (a constant of the owner's file):
// a file is known as the program's by them, and their shape is checked at open.
bool DeclareTable(const QString& name);
const QStringList& DeclaredTables();
// Tables of the program's own whose rows its owner works out from other tables: their shape is
// checked too, but they do not make a file the program's, a salvage leaves them empty for the
// owner to fill again, and a clean-up does not count them.
bool DeclareDerivedTable(const QString& name);
const QStringList& DerivedTables();

struct FieldDef {
  QString name;
  short type = dbText;
  QVariant defaultValue;
};

// Names of tables, columns and properties match without regard to letter case throughout, as
// SQLite matches table and column names: a table "inventory" written by another tool is the
// program's "Inventory".

struct TableDef {
  DatabaseHandle db;
  QString name;         // the program's name for it, under which its column properties are kept
  QString storedName;   // the name in the file, which may differ in letter case
  bool stored = false;  // false until AppendTableDef creates the table
  std::vector<FieldDef> fields;
};

std::optional<TableDef> FindTableDef(const DatabaseHandle& db, const QString& name);
TableDef EnsureTableDef(const DatabaseHandle& db, const QString& name, bool& created);
std::optional<FieldDef> FindField(const TableDef& table, const QString& name);
// Adds a missing column (to the stored table at once); an existing column is left as it is.
FieldDef EnsureField(TableDef& table, const QString& name, short type,
                     const QVariant& defaultValue);
// Sets a named property of a column, creating it when missing.
void EnsureFieldProperty(TableDef& table, const QString& field, const QString& property,
                         short propertyType, const QVariant& value);
// Creates a new table from its definition.
void AppendTableDef(TableDef& table);
// What a table owner does at every start: creates the table with its columns in their order, or
// adds the columns an older table lacks. Returns the definition, for the column properties.
TableDef EnsureTable(const DatabaseHandle& db, const QString& name,
                     const std::vector<FieldDef>& columns);
// A column property as stored, converted to its type; an invalid QVariant when not set.
QVariant FieldProperty(const DatabaseHandle& db, const QString& table, const QString& field,
                       const QString& property);

// The moments of a clean-up, in order, as the step hook sees them. The salvage steps occur only
// for a damaged file, CopyUnderWay only while a step hook is set.
enum class CleanupStep {
  Started,          // the database is closed, nothing touched yet
  LeftoverRemoved,  // a copy left by an earlier attempt is gone
  Checked,          // the quick check has run
  CopyUnderWay,     // the copy is partly written
  CopyWritten,      // compacted (or salvaged) copy complete
  SourceClosed,     // no connection to either file is open
  CopyChecked,      // the copy passed its integrity check
  CopyFlushed,      // the copy is on disk
  DamagedKept,      // salvage only: the damaged original also has its ".damaged" name
  Replaced,         // the copy has the database's name
  Finished,
};

struct CleanupOptions {
  // Receives "Checking DB and repairing as necessary...", "Compacting DB...       Please wait."
  // and "Cleanup Complete.".
  seams::ProgressSink* progress = nullptr;
  // Called with true before the work and with false after it, also when it fails (the caller's
  // hourglass pointer).
  std::function<void(bool busy)> busy;
};

using ::CleanupSummary;
using ::TableRows;

// Repairs and compacts the database file: a quick check, then a compacted copy (or, for a
// damaged file, a salvaged copy, keeping the original as "<name>.damaged"), checked, flushed and
// renamed over the original. The file named by the path is a complete database at every moment.
// Closes the given database first; the caller opens the file again.
CleanupSummary CleanDatabase(const DatabaseHandle& db, const CleanupOptions& options = {});
// The same for a file that is not open, such as a damaged file found at start.
CleanupSummary CleanDatabaseFile(const QString& path, const CleanupOptions& options = {});
// Removes the copy (and its journal) that an interrupted clean-up left beside the database
// file. The copy is never the only good one, since it takes the database's name in one rename.
void RemoveCleanupLeftover(const QString& path);

// Tests only: called at each step of a clean-up, so that a child process can end itself there.
void SetCleanupStepHook(std::function<void(CleanupStep)> hook);

}  // namespace DatabaseFunctions
