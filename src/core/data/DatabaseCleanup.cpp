// The database clean-up. Its order keeps a complete copy of the data on disk at every moment: the
// original is never touched until a checked, flushed copy replaces it in one rename.
#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <limits>

#include "app/DatabaseError.h"
#include "data/DatabaseFile.h"
#include "data/DatabaseFunctions.h"
#include "data/FileSystem.h"
#include "data/Recordset.h"
#include "seams/ProgressSink.h"

namespace DatabaseFunctions {
namespace {

const QString kSource = QStringLiteral("CleanDatabase");

std::function<void(CleanupStep)> stepHook;

void Step(CleanupStep step) {
  if (stepHook) stepHook(step);
}

// Runs work and, when the engine fails, says what was being done before SQLite's text.
template <typename Work>
auto Doing(const QString& context, Work&& work) {
  try {
    return work();
  } catch (const DatabaseError& error) {
    throw DatabaseError(error.Number(), context + QStringLiteral(": ") + error.Description(),
                        kSource, error.From());
  }
}

// The clean-up's own statements go to SQLite as they are: none of them is in the program's
// dialect, and a path may hold any character.
void Exec(Database& db, const QString& sql, const QString& context) {
  Doing(context, [&] { db.ExecuteRaw(sql, kSource); });
}

qint64 Number(Database& db, const QString& sql) {
  return Doing(sql, [&] { return db.PrepareRaw(sql, kSource).Number(); });
}

// Turns the busy pointer on for the life of the clean-up, also when it fails.
class BusyScope {
 public:
  explicit BusyScope(const std::function<void(bool)>& busy) : busy_(busy) {
    if (busy_) busy_(true);
  }
  ~BusyScope() {
    if (busy_) busy_(false);
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  const std::function<void(bool)>& busy_;
};

// "ok" alone means the file passed; anything else (a list of faults, or an error reading the
// file at all) means it did not.
bool PassesCheck(Database& db, const QString& pragma) {
  try {
    Statement check = db.PrepareRaw(pragma, kSource);
    QStringList lines;
    int rc;
    while ((rc = check.TryStep()) == SQLITE_ROW) lines << check.Text(0);
    return rc == SQLITE_DONE && lines == QStringList{QStringLiteral("ok")};
  } catch (const DatabaseError&) {
    return false;
  }
}

using DatabaseFile::SchemaEntry;

std::vector<SchemaEntry> Schema(Database& db) {
  return Doing(QStringLiteral("Reading the list of tables"),
               [&] { return DatabaseFile::ReadSchema(db); });
}

std::vector<TableRows> RowCounts(Database& db) {
  std::vector<TableRows> counts;
  for (const SchemaEntry& entry : Schema(db)) {
    if (entry.type != u"table" || DatabaseFile::IsDerivedTable(entry.name)) continue;
    counts.push_back(
        {entry.name,
         Number(db, QStringLiteral("SELECT count(*) FROM %1").arg(QuotedName(entry.name)))});
  }
  return counts;
}

int ProgressTick(void* fired) {
  auto* done = static_cast<bool*>(fired);
  if (!*done) {
    *done = true;
    Step(CleanupStep::CopyUnderWay);
  }
  return 0;
}

void Compact(Database& source, const QString& copy) {
  bool fired = false;
  if (stepHook) sqlite3_progress_handler(source.Handle(), 500, &ProgressTick, &fired);
  try {
    Doing(QStringLiteral("Compacting into '%1'").arg(copy), [&] {
      Statement vacuum = source.PrepareRaw(QStringLiteral("VACUUM INTO ?1"), kSource);
      vacuum.BindText(1, copy);
      vacuum.Run();
    });
  } catch (...) {
    sqlite3_progress_handler(source.Handle(), 0, nullptr, nullptr);
    throw;
  }
  sqlite3_progress_handler(source.Handle(), 0, nullptr, nullptr);
}

// Copies one table's rows that can still be read, a range of rowids at a time. A range that
// cannot be read is tried again in smaller pieces, down to single rows, so that one bad page
// costs only the rows on it.
class TableSalvager {
 public:
  TableSalvager(Database& source, Database& target, const QString& table)
      : source_(source), table_(table) {
    QStringList names;
    Statement columns =
        source.PrepareRaw(QStringLiteral("SELECT name FROM pragma_table_info(?1)"), kSource);
    columns.BindText(1, table);
    while (columns.Step()) names << QuotedName(columns.Text(0));
    const QString list = names.join(u", ");
    QStringList marks;
    for (int i = 0; i <= names.size(); ++i) marks << QStringLiteral("?%1").arg(i + 1);
    columnCount_ = int(names.size());
    read_ = source.PrepareRaw(QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid >= ?1 AND "
                                             "rowid < ?2 ORDER BY rowid")
                                  .arg(list, QuotedName(table)),
                              kSource);
    write_ = target.PrepareRaw(QStringLiteral("INSERT OR IGNORE INTO %1 (rowid, %2) VALUES (%3)")
                                   .arg(QuotedName(table), list, marks.join(u", ")),
                               kSource);
  }

  // The rows copied.
  qint64 CopyAll() {
    constexpr qint64 kRange = 1024;
    bool known = true;
    qint64 low = 1;
    qint64 high = 0;
    try {
      low = Number(source_, QStringLiteral("SELECT min(rowid) FROM %1").arg(QuotedName(table_)));
      high = Number(source_, QStringLiteral("SELECT max(rowid) FROM %1").arg(QuotedName(table_)));
    } catch (const DatabaseError&) {
      // The ends of the table cannot be read: walk on until a long run of ranges holds nothing.
      known = false;
      low = 1;
    }
    int emptyRun = 0;
    for (qint64 start = low; known ? start <= high : emptyRun < 4096; start += kRange) {
      const qint64 before = copied_;
      CopyRange(start, start + kRange);
      emptyRun = copied_ == before ? emptyRun + 1 : 0;
      if (start > std::numeric_limits<qint64>::max() - kRange) break;
    }
    return copied_;
  }

 private:
  void CopyRange(qint64 from, qint64 to) {
    read_.Reset();
    read_.BindInt64(1, from);
    read_.BindInt64(2, to);
    qint64 next = from;
    int rc;
    while ((rc = read_.TryStep()) == SQLITE_ROW) {
      next = read_.Int64(0) + 1;
      Write();
    }
    if (rc == SQLITE_DONE) return;
    // Unreadable from `next` on: split what is left of the range.
    read_.Reset();
    const qint64 length = to - next;
    if (length <= 1) return;  // one unreadable row is lost
    const qint64 piece = std::max<qint64>(1, length / 32);
    for (qint64 start = next; start < to; start += piece) {
      CopyRange(start, std::min(to, start + piece));
    }
  }

  void Write() {
    write_.Reset();
    for (int i = 0; i <= columnCount_; ++i) write_.BindValue(i + 1, read_.Value(i));
    Doing(QStringLiteral("Writing the salvaged rows of %1").arg(table_), [&] { write_.Run(); });
    ++copied_;
  }

  Database& source_;
  QString table_;
  int columnCount_ = 0;
  Statement read_;
  Statement write_;
  qint64 copied_ = 0;
};

bool HasRowid(Database& db, const QString& table) {
  try {
    db.PrepareRaw(QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(QuotedName(table)), kSource);
    return true;
  } catch (const DatabaseError&) {
    return false;
  }
}

// Builds a fresh file from what can still be read of a damaged one: the schema first, then each
// table's readable rows (keeping their rowids), then indexes, views and triggers. Returns the
// application id written into the new file.
qint64 Salvage(Database& source, const QString& copy) {
  const std::vector<SchemaEntry> schema = Schema(source);
  qint64 applicationId = kApplicationId;
  qint64 userVersion = kSchemaVersion;
  try {
    applicationId = Number(source, QStringLiteral("PRAGMA application_id"));
    userVersion = Number(source, QStringLiteral("PRAGMA user_version"));
  } catch (const DatabaseError&) {
    // A header that cannot be read: the new file gets the program's own mark.
  }
  DatabaseHandle target = Database::Create(copy);
  Database& out = *target;
  Exec(out, QStringLiteral("PRAGMA application_id = %1").arg(applicationId), copy);
  Exec(out, QStringLiteral("PRAGMA user_version = %1").arg(userVersion), copy);
  Exec(out, QStringLiteral("BEGIN"), copy);
  for (const SchemaEntry& entry : schema) {
    if (entry.type == u"table") Exec(out, entry.sql, copy);
  }
  bool fired = false;
  for (const SchemaEntry& entry : schema) {
    if (entry.type != u"table") continue;
    if (DatabaseFile::IsDerivedTable(entry.name)) continue;
    if (HasRowid(source, entry.name)) TableSalvager(source, out, entry.name).CopyAll();
    if (!fired) {
      fired = true;
      Step(CleanupStep::CopyUnderWay);
    }
  }
  for (const SchemaEntry& entry : schema) {
    if (entry.type != u"table") Exec(out, entry.sql, copy);
  }
  Exec(out, QStringLiteral("COMMIT"), copy);
  target->Close();
  return applicationId;
}

// The first of "<path>.damaged", "<path>.damaged-2", … that is free: an older damaged file may
// hold rows that the user still wants.
QString DamagedName(const QString& path) {
  QString name = path + QStringLiteral(".damaged");
  for (int n = 2; QFileInfo::exists(name) || QFileInfo(name).isSymLink(); ++n) {
    name = path + QStringLiteral(".damaged-%1").arg(n);
  }
  return name;
}

// Gives the damaged original a second name, so that it outlives the rename of the salvaged copy
// over it. A hard link costs no space; where links are not possible the bytes are copied.
QString KeepDamaged(const QString& path) {
  const QString keep = DamagedName(path);
  const QByteArray from = QFile::encodeName(path);
  const QByteArray to = QFile::encodeName(keep);
  if (::link(from.constData(), to.constData()) != 0) {
    if (!QFile::copy(path, keep)) {
      throw DatabaseError::System(
          EIO, QStringLiteral("Could not keep the damaged file '%1' as '%2'.").arg(path, keep),
          kSource);
    }
    FileSystem::SyncFile(keep);
  }
  FileSystem::SyncFolder(QFileInfo(path).absolutePath());
  return keep;
}

// Checks the new copy and returns the rows each of its tables holds.
std::vector<TableRows> CheckCopy(const QString& copy, qint64 applicationId,
                                 const std::vector<TableRows>& expected) {
  DatabaseHandle check = Database::Open(copy);
  if (!PassesCheck(*check, QStringLiteral("PRAGMA integrity_check"))) {
    throw DatabaseError(SQLITE_CORRUPT,
                        QStringLiteral("The new copy '%1' did not pass its check; the database "
                                       "was left as it was.")
                            .arg(copy),
                        kSource);
  }
  if (Number(*check, QStringLiteral("PRAGMA application_id")) != applicationId) {
    throw DatabaseError(SQLITE_CORRUPT,
                        QStringLiteral("The new copy '%1' lost the program's mark.").arg(copy),
                        kSource);
  }
  std::vector<TableRows> counts = RowCounts(*check);
  for (const TableRows& table : expected) {
    const auto found = std::find_if(counts.begin(), counts.end(),
                                    [&](const TableRows& row) { return row.table == table.table; });
    if (found == counts.end() || found->rows != table.rows) {
      throw DatabaseError(SQLITE_CORRUPT,
                          QStringLiteral("The new copy '%1' does not hold all rows of %2; the "
                                         "database was left as it was.")
                              .arg(copy, table.table),
                          kSource);
    }
  }
  check->Close();
  return counts;
}

void RemoveCopy(const QString& copy) {
  FileSystem::RemoveIfExists(copy);
  FileSystem::RemoveIfExists(copy + QStringLiteral("-journal"));
}

}  // namespace

void SetCleanupStepHook(std::function<void(CleanupStep)> hook) { stepHook = std::move(hook); }

CleanupSummary CleanDatabase(const DatabaseHandle& db, const CleanupOptions& options) {
  if (!db) return {};
  const QString path = db->Name();
  db->Close();
  return CleanDatabaseFile(path, options);
}

CleanupSummary CleanDatabaseFile(const QString& given, const CleanupOptions& options) {
  // Through a link the file it leads to is cleaned, and the link stays.
  const QString path = DatabaseFile::ResolvedPath(given);
  Step(CleanupStep::Started);

  BusyScope busy(options.busy);
  auto say = [&options](const QString& text) {
    if (options.progress) options.progress->Progress(text);
  };
  say(QStringLiteral("Checking DB and repairing as necessary..."));

  const QString copy = path + u'1';
  RemoveCopy(copy);
  Step(CleanupStep::LeftoverRemoved);

  CleanupSummary summary;
  // Holds a read lock on the original from before the copy until after the rename, so that no
  // other connection can commit into it meanwhile: such a commit would miss the copy.
  DatabaseHandle guard;
  try {
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0) {
      throw DatabaseError::System(
          ENOENT, QStringLiteral("The database file '%1' does not exist.").arg(given), kSource);
    }
    // A file that is not the program's is refused untouched, and a journal left by a crash is
    // rolled back first.
    DatabaseHandle source = DatabaseFile::OpenExisting(path, DatabaseFile::Purpose::Repair);
    guard = Database::Open(path);
    Exec(*guard, QStringLiteral("BEGIN"), path);
    Number(*guard, QStringLiteral("PRAGMA schema_version"));
    bool damaged = !PassesCheck(*source, QStringLiteral("PRAGMA quick_check"));
    Step(CleanupStep::Checked);
    say(QStringLiteral("Compacting DB...       Please wait."));

    qint64 applicationId = kApplicationId;
    std::vector<TableRows> counts;
    if (!damaged) {
      try {
        applicationId = Number(*source, QStringLiteral("PRAGMA application_id"));
        counts = RowCounts(*source);
        Compact(*source, copy);
      } catch (const DatabaseError& error) {
        // A fault the quick check does not look for shows up while copying: salvage instead.
        if (error.EngineCode() != SQLITE_CORRUPT) throw;
        damaged = true;
        counts.clear();
        RemoveCopy(copy);
      }
    }
    if (damaged) applicationId = Salvage(*source, copy);
    Step(CleanupStep::CopyWritten);
    source->Close();
    Step(CleanupStep::SourceClosed);

    summary.tables = CheckCopy(copy, applicationId, counts);
    Step(CleanupStep::CopyChecked);
    FileSystem::SyncFile(copy);
    Step(CleanupStep::CopyFlushed);

    // A journal beside the original means some other process is writing to it right now; a
    // rename would lose that write, and the journal would later be played into the new file.
    if (QFileInfo::exists(path + QStringLiteral("-journal"))) {
      throw DatabaseError(SQLITE_BUSY,
                          QStringLiteral("The database file '%1' is being written by another "
                                         "program; the clean-up changed nothing.")
                              .arg(given),
                          kSource);
    }
    // Another connection to the original (another copy of the program, another tool) would go
    // on writing into the file that the rename sets aside, and what it wrote would be lost.
    if (const long pid = FileSystem::OpenElsewhere(path)) {
      throw DatabaseError(SQLITE_BUSY,
                          QStringLiteral("The database file '%1' is open in another program "
                                         "(process %2); the clean-up changed nothing.")
                              .arg(given)
                              .arg(pid),
                          kSource);
    }
    if (damaged) {
      summary.salvaged = true;
      summary.damagedFile = KeepDamaged(path);
      Step(CleanupStep::DamagedKept);
    }
  } catch (...) {
    try {
      RemoveCopy(copy);
    } catch (const DatabaseError&) {
      // The copy is only a copy; the original is untouched either way.
    }
    throw;
  }
  FileSystem::RenameReplacing(copy, path);
  guard.reset();
  Step(CleanupStep::Replaced);
  say(QStringLiteral("Cleanup Complete."));
  Step(CleanupStep::Finished);
  return summary;
}

}  // namespace DatabaseFunctions
