#include "data/DatabaseFile.h"

#include <sqlite3.h>
#include <sys/stat.h>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "data/FileSystem.h"
#include "data/Recordset.h"

namespace DatabaseFile {
namespace {

const QString kSource = QStringLiteral("DatabaseFunctions");
const QString kUntouched = QStringLiteral(" It has been left untouched.");

[[noreturn]] void Refuse(int number, const QString& path, const QString& why) {
  throw DatabaseError(number, QStringLiteral("The file '%1' %2").arg(path, why), kSource);
}

// The program's mark in the header, read before SQLite opens the file at all: random bytes,
// another engine's file or another program's SQLite file are refused here.
quint32 ReadMark(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw DatabaseError::System(
        EACCES, QStringLiteral("The file '%1' cannot be read: %2").arg(path, file.errorString()),
        kSource);
  }
  const QByteArray header = file.read(100);
  if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16))) {
    Refuse(SQLITE_NOTADB, path, QStringLiteral("is not a ReelKeeper database.") + kUntouched);
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(header.constData());
  const quint32 mark = (quint32(bytes[68]) << 24) | (quint32(bytes[69]) << 16) |
                       (quint32(bytes[70]) << 8) | quint32(bytes[71]);
  if (mark != 0 && mark != quint32(DatabaseFunctions::kApplicationId)) {
    Refuse(SQLITE_NOTADB, path,
           QStringLiteral("belongs to another program (application id 0x%1), not to ReelKeeper.")
                   .arg(mark, 8, 16, QLatin1Char('0')) +
               kUntouched);
  }
  return mark;
}

bool IsOneOf(const QString& name, const QStringList& names) {
  return names.contains(name, Qt::CaseInsensitive);
}

const QStringList kEngineTables = {QStringLiteral("ColumnProperties")};

// SQLite's text when it will not prepare sql, empty when it will. Nothing is run.
QString Refusal(Database& db, const QString& sql) {
  try {
    db.PrepareRaw(sql, kSource);
    return {};
  } catch (const DatabaseError& error) {
    return error.Description();
  }
}

QString FirstRefusal(Database& db, const QStringList& statements) {
  for (const QString& sql : statements) {
    const QString refusal = Refusal(db, sql);
    if (!refusal.isEmpty()) return refusal;
  }
  return {};
}

// A table the program reads and writes must be a plain table with row ids whose statements
// SQLite can make: a view, a WITHOUT ROWID table or a column that sorts by a collation nobody
// registered would let the program's upgrade be written and then fail.
void CheckShape(Database& db, const QString& path, const SchemaEntry& entry) {
  const QString table = QuotedName(entry.name);
  const QString create = QStringLiteral("CREATE TABLE %1 (x)").arg(table);
  QString problem;
  QString engine;
  if (entry.type == u"view") {
    problem = QStringLiteral("keeps %1 as a view, not as a table");
    engine = FirstRefusal(db, {QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table), create});
  } else if (entry.sql.startsWith(u"CREATE VIRTUAL TABLE", Qt::CaseInsensitive)) {
    // The program's own indexes of text are virtual tables; their owner remakes one it cannot
    // use, as long as SQLite knows its kind.
    if (IsDerivedTable(entry.name) &&
        (engine = Refusal(db, QStringLiteral("SELECT rowid FROM %1").arg(table))).isEmpty())
      return;
    problem = QStringLiteral("keeps %1 as a virtual table, not as a plain table");
    engine =
        FirstRefusal(db, {QStringLiteral("ALTER TABLE %1 ADD COLUMN rk_probe").arg(table), create});
  } else if (!(engine = Refusal(db, QStringLiteral("SELECT rowid FROM %1").arg(table))).isEmpty()) {
    problem = QStringLiteral("keeps %1 as a table without row ids (WITHOUT ROWID)");
  } else {
    QStringList columns;
    Statement info =
        db.PrepareRaw(QStringLiteral("SELECT name FROM pragma_table_info(?1)"), kSource);
    info.BindText(1, entry.name);
    while (info.Step()) columns << QuotedName(info.Text(0));
    if (columns.isEmpty()) return;
    QStringList comparisons;
    for (const QString& column : columns) comparisons << column + QStringLiteral(" = ''");
    // Each kind of statement the program makes on the table, prepared and never run.
    engine = FirstRefusal(
        db, {QStringLiteral("SELECT rowid FROM %1 WHERE %2 ORDER BY %3")
                 .arg(table, comparisons.join(QStringLiteral(" OR ")), columns.join(u", ")),
             QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table),
             QStringLiteral("UPDATE %1 SET %2 = %2 WHERE rowid = 0").arg(table, columns[0]),
             QStringLiteral("DELETE FROM %1 WHERE rowid = 0").arg(table)});
    if (engine.isEmpty()) return;
    problem = engine.contains(u"collation", Qt::CaseInsensitive)
                  ? QStringLiteral(
                        "sorts the text of %1 by a rule (a collation) that ReelKeeper "
                        "does not know")
                  : QStringLiteral("has a table %1 that ReelKeeper cannot read and write");
  }
  QString why = problem.arg(entry.name) + QStringLiteral(", so ReelKeeper cannot use it.");
  if (!engine.isEmpty()) why += QStringLiteral(" SQLite says: ") + engine + u'.';
  Refuse(SQLITE_NOTADB, path, why + kUntouched);
}

// A file SQLite cannot read: damage when it carries the program's mark (which the clean-up's
// salvage may mend), anything else otherwise.
[[noreturn]] void Unreadable(const DatabaseError& error, const QString& path, quint32 mark) {
  const int primary = error.Number() & 0xFF;
  if (primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB) {
    throw DatabaseError(error.Number(), QStringLiteral("%1 (%2)").arg(error.Description(), path),
                        kSource, error.From());
  }
  if (mark != quint32(DatabaseFunctions::kApplicationId)) {
    Refuse(SQLITE_NOTADB, path,
           QStringLiteral("cannot be read as a database and does not carry ReelKeeper's mark. "
                          "SQLite says: %1.")
                   .arg(error.Description()) +
               kUntouched);
  }
  throw DatabaseError(primary == SQLITE_CORRUPT ? error.Number() : SQLITE_CORRUPT,
                      QStringLiteral("The database file '%1' is damaged. SQLite says: %2.")
                          .arg(path, error.Description()),
                      kSource);
}

void Inspect(Database& db, const QString& path, quint32 mark,
             const std::vector<SchemaEntry>& schema, Purpose purpose) {
  if (mark == 0) {
    // Made by another tool: used only when it is empty or already holds the program's data.
    QStringList tables;
    bool programs = false;
    for (const SchemaEntry& entry : schema) {
      tables << entry.name;
      programs = programs || IsOneOf(entry.name, DatabaseFunctions::DeclaredTables());
    }
    if (!tables.isEmpty() && !programs) {
      Refuse(SQLITE_NOTADB, path,
             QStringLiteral("holds another program's tables (%1), not ReelKeeper's.")
                     .arg(tables.join(QStringLiteral(", "))) +
                 kUntouched);
    }
  }
  if (purpose == Purpose::Repair) return;
  for (const SchemaEntry& entry : schema) {
    if (IsOneOf(entry.name, DatabaseFunctions::DeclaredTables()) ||
        IsOneOf(entry.name, DatabaseFunctions::DerivedTables()) ||
        IsOneOf(entry.name, kEngineTables)) {
      CheckShape(db, path, entry);
    }
  }
}

void CheckWritable(const Database& db, const QString& path) {
  const QString folder = QFileInfo(path).absolutePath();
  if (db.IsReadOnly() || !FileSystem::CanWrite(path) || !FileSystem::CanWrite(folder)) {
    throw DatabaseError::System(
        EACCES,
        QStringLiteral("The database file '%1' cannot be written. Check that the file "
                       "and its folder may be written by you.")
            .arg(path),
        kSource);
  }
}

// After a journal was played in: a full quick check, since a journal of another database
// writes its pages anywhere in the file.
void CheckPlayedJournal(Database& db, const QString& path) {
  QStringList findings;
  try {
    Statement check = db.PrepareRaw(QStringLiteral("PRAGMA quick_check"), kSource);
    while (check.Step()) findings << check.Text(0);
  } catch (const DatabaseError& error) {
    findings << error.Description();
  }
  if (findings == QStringList{QStringLiteral("ok")}) return;
  throw DatabaseError(SQLITE_CORRUPT,
                      QStringLiteral("The database file '%1' is damaged. SQLite says: %2.")
                          .arg(path, findings.join(QStringLiteral("; "))),
                      kSource);
}

DatabaseHandle OpenKnown(const QString& path, Purpose purpose, quint32 mark, bool replayed) {
  DatabaseHandle db;
  std::vector<SchemaEntry> schema;
  try {
    // SQLite reads the header and the list of tables at the first statement; a damaged file
    // shows here rather than in the middle of the first command.
    db = purpose == Purpose::Inspect ? Database::OpenReadOnly(path) : Database::Open(path);
    schema = ReadSchema(*db);
    // Only tables and views decide whose file it is and whether the program can use it.
    std::erase_if(schema, [](const SchemaEntry& entry) {
      return entry.type != u"table" && entry.type != u"view";
    });
  } catch (const DatabaseError& error) {
    if (db) db->CloseUntouched();
    Unreadable(error, path, mark);
  }
  try {
    // A journal just played in may have been another database's: the file must still read.
    if (replayed && purpose == Purpose::Use) CheckPlayedJournal(*db, path);
    Inspect(*db, path, mark, schema, purpose);
    if (purpose == Purpose::Inspect) return db;
    CheckWritable(*db, path);
  } catch (...) {
    db->CloseUntouched();
    throw;
  }
  // The first write: the file is the program's from here on.
  db->UseRollbackJournal();
  return db;
}

}  // namespace

bool IsDerivedTable(const QString& name) {
  return IsOneOf(name, DatabaseFunctions::DerivedTables());
}

QString ResolvedPath(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat info {};
  if (::lstat(name.constData(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
  char resolved[PATH_MAX];
  if (::realpath(name.constData(), resolved)) return QFile::decodeName(resolved);
  const int error = errno;
  char link[PATH_MAX];
  const ssize_t length = ::readlink(name.constData(), link, sizeof link - 1);
  QString target = QFile::decodeName(QByteArray(link, int(std::max<ssize_t>(length, 0))));
  if (QFileInfo(target).isRelative()) {
    target = QDir::cleanPath(QFileInfo(path).absolutePath() + u'/' + target);
  }
  if (error == ELOOP) {
    Refuse(SQLITE_NOTADB, path,
           QStringLiteral("is a link to '%1', which leads round a circle of links to no file. "
                          "Nothing was created.")
               .arg(target));
  }
  Refuse(SQLITE_NOTADB, path,
         QStringLiteral("is a link to '%1', which cannot be reached (%2); is the drive it is on "
                        "mounted? Nothing was created.")
             .arg(target, QString::fromLocal8Bit(std::strerror(error))));
}

std::vector<SchemaEntry> ReadSchema(Database& db) {
  Statement query = db.PrepareRaw(
      QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT NULL AND "
                     "lower(substr(name, 1, 7)) <> 'sqlite_' AND name NOT IN (SELECT name FROM "
                     "pragma_table_list WHERE schema = 'main' AND type = 'shadow') ORDER BY rowid"),
      kSource);
  std::vector<SchemaEntry> entries;
  while (query.Step()) entries.push_back({query.Text(0), query.Text(1), query.Text(2)});
  return entries;
}

DatabaseHandle OpenExisting(const QString& path, Purpose purpose) {
  const quint32 mark = ReadMark(path);
  // SQLite plays a journal left beside the file into it at the first read. After a crash that is
  // the file's own and must be played; one that belongs to another database damages the file,
  // so both are copied first and put back when the file then proves damaged or is refused.
  const QString journal = path + QStringLiteral("-journal");
  // A candidate for a restore is never changed: with a journal beside it, it fails to read on
  // its read-only connection instead.
  if (purpose == Purpose::Inspect || QFileInfo(journal).size() == 0) {
    return OpenKnown(path, purpose, mark, false);
  }
  const QString keptFile = path + QStringLiteral(".kept");
  const QString keptJournal = journal + QStringLiteral(".kept");
  FileSystem::CopyFlushed(path, keptFile);
  FileSystem::CopyFlushed(journal, keptJournal);
  try {
    DatabaseHandle db = OpenKnown(path, purpose, mark, true);
    // A repair works on what the journal made of the file; the copies keep what was there.
    if (purpose == Purpose::Use) {
      FileSystem::RemoveIfExists(keptFile);
      FileSystem::RemoveIfExists(keptJournal);
    }
    return db;
  } catch (const DatabaseError& error) {
    const int primary = error.EngineCode();
    if (primary != SQLITE_CORRUPT && primary != SQLITE_NOTADB) {
      // Not played (another program is writing, say), or played into a file that is fine but
      // cannot be used for another reason: the copies are of no use.
      FileSystem::RemoveIfExists(keptFile);
      FileSystem::RemoveIfExists(keptJournal);
      throw;
    }
    FileSystem::CopyFlushed(keptFile, path);
    FileSystem::CopyFlushed(keptJournal, journal);
    throw DatabaseError(
        error.Number(),
        error.Description() +
            QStringLiteral(" A journal '%1' lay beside the file (left by a write that did not "
                           "finish, or put there by another program) and was played into it "
                           "first. The file and the journal have been put back exactly as they "
                           "were, and copies of both are kept as '%2' and '%3'. If the journal "
                           "belongs to another database, move it away and start ReelKeeper "
                           "again.")
                .arg(journal, keptFile, keptJournal),
        error.Source(), error.From());
  }
}

}  // namespace DatabaseFile
