// The database clean-up. Its order keeps a complete copy of the data on disk at every moment: the
// original is never touched until a checked, flushed copy replaces it in one rename.
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <limits>

#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "data/FileSystem.h"
#include "seams/ProgressSink.h"

namespace DatabaseFunctions {
namespace {

const QString kSource = QStringLiteral("CleanDatabase");

std::function<void(CleanupStep)> stepHook;

void Step(CleanupStep step) {
  if (stepHook) stepHook(step);
}

[[noreturn]] void ThrowFor(sqlite3* db, const QString& context) {
  throw DatabaseError(sqlite3_extended_errcode(db),
                      context + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db)),
                      kSource);
}

// The clean-up's own statements go to SQLite as they are: none of them is in the program's
// dialect, and a path may hold any character.
void Exec(sqlite3* db, const QString& sql, const QString& context) {
  if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK) {
    ThrowFor(db, context);
  }
}

// A prepared statement finalized on every path out.
class Statement {
 public:
  Statement(sqlite3* db, const QString& sql) : db_(db) {
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement_, nullptr) !=
        SQLITE_OK) {
      ThrowFor(db, sql);
    }
  }
  ~Statement() { sqlite3_finalize(statement_); }
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  sqlite3_stmt* get() const { return statement_; }
  // SQLITE_ROW, SQLITE_DONE or an error code (the caller decides what an error means).
  int Next() { return sqlite3_step(statement_); }
  QString Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
    return text ? QString::fromUtf8(text) : QString();
  }
  void Bind(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement_, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
  }
  sqlite3* Db() const { return db_; }

 private:
  sqlite3* db_;
  sqlite3_stmt* statement_ = nullptr;
};

QString Quoted(const QString& name) {
  return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
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
bool PassesCheck(sqlite3* db, const char* pragma) {
  sqlite3_stmt* statement = nullptr;
  if (sqlite3_prepare_v2(db, pragma, -1, &statement, nullptr) != SQLITE_OK) return false;
  QStringList lines;
  int rc;
  while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    lines << QString::fromUtf8(text ? text : "");
  }
  sqlite3_finalize(statement);
  return rc == SQLITE_DONE && lines == QStringList{QStringLiteral("ok")};
}

qint64 Number(sqlite3* db, const QString& sql) {
  Statement query(db, sql);
  const int rc = query.Next();
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) ThrowFor(db, sql);
  return rc == SQLITE_ROW ? sqlite3_column_int64(query.get(), 0) : 0;
}

struct SchemaEntry {
  QString type;
  QString name;
  QString sql;
};

std::vector<SchemaEntry> Schema(sqlite3* db) {
  Statement query(db, QStringLiteral("SELECT type, name, sql FROM sqlite_master WHERE sql IS NOT "
                                     "NULL AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' "
                                     "ORDER BY rowid"));
  std::vector<SchemaEntry> entries;
  int rc;
  while ((rc = query.Next()) == SQLITE_ROW) {
    entries.push_back({query.Text(0), query.Text(1), query.Text(2)});
  }
  if (rc != SQLITE_DONE) ThrowFor(db, QStringLiteral("Reading the list of tables"));
  return entries;
}

std::vector<std::pair<QString, qint64>> RowCounts(sqlite3* db) {
  std::vector<std::pair<QString, qint64>> counts;
  for (const SchemaEntry& entry : Schema(db)) {
    if (entry.type != u"table") continue;
    counts.emplace_back(
        entry.name, Number(db, QStringLiteral("SELECT count(*) FROM %1").arg(Quoted(entry.name))));
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

void Compact(sqlite3* source, const QString& copy) {
  bool fired = false;
  if (stepHook) sqlite3_progress_handler(source, 500, &ProgressTick, &fired);
  Statement vacuum(source, QStringLiteral("VACUUM INTO ?1"));
  vacuum.Bind(1, copy);
  const int rc = vacuum.Next();
  sqlite3_progress_handler(source, 0, nullptr, nullptr);
  if (rc != SQLITE_DONE) ThrowFor(source, QStringLiteral("Compacting into '%1'").arg(copy));
}

// Copies one table's rows that can still be read, a range of rowids at a time. A range that
// cannot be read is tried again in smaller pieces, down to single rows, so that one bad page
// costs only the rows on it.
class TableSalvager {
 public:
  TableSalvager(sqlite3* source, sqlite3* target, const QString& table) : source_(source) {
    Statement columns(source, QStringLiteral("PRAGMA table_info(%1)").arg(Quoted(table)));
    QStringList names;
    while (columns.Next() == SQLITE_ROW) names << Quoted(columns.Text(1));
    const QString list = names.join(u", ");
    QStringList marks;
    for (int i = 0; i <= names.size(); ++i) marks << QStringLiteral("?%1").arg(i + 1);
    columnCount_ = int(names.size());
    read_ = std::make_unique<Statement>(
        source, QStringLiteral("SELECT rowid, %1 FROM %2 WHERE rowid >= ?1 AND rowid < ?2 "
                               "ORDER BY rowid")
                    .arg(list, Quoted(table)));
    write_ = std::make_unique<Statement>(
        target, QStringLiteral("INSERT OR IGNORE INTO %1 (rowid, %2) VALUES (%3)")
                    .arg(Quoted(table), list, marks.join(u", ")));
    table_ = table;
  }

  void CopyAll() {
    constexpr qint64 kRange = 1024;
    bool known = true;
    qint64 low = 1;
    qint64 high = 0;
    try {
      low = Number(source_, QStringLiteral("SELECT min(rowid) FROM %1").arg(Quoted(table_)));
      high = Number(source_, QStringLiteral("SELECT max(rowid) FROM %1").arg(Quoted(table_)));
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
  }

 private:
  void CopyRange(qint64 from, qint64 to) {
    sqlite3_stmt* read = read_->get();
    sqlite3_reset(read);
    sqlite3_bind_int64(read, 1, from);
    sqlite3_bind_int64(read, 2, to);
    qint64 next = from;
    int rc;
    while ((rc = sqlite3_step(read)) == SQLITE_ROW) {
      next = sqlite3_column_int64(read, 0) + 1;
      Write(read);
    }
    if (rc == SQLITE_DONE) return;
    // Unreadable from `next` on: split what is left of the range.
    sqlite3_reset(read);
    const qint64 length = to - next;
    if (length <= 1) return;  // one unreadable row is lost
    const qint64 piece = std::max<qint64>(1, length / 32);
    for (qint64 start = next; start < to; start += piece) {
      CopyRange(start, std::min(to, start + piece));
    }
  }

  void Write(sqlite3_stmt* read) {
    sqlite3_stmt* write = write_->get();
    sqlite3_reset(write);
    for (int i = 0; i <= columnCount_; ++i) {
      sqlite3_bind_value(write, i + 1, sqlite3_column_value(read, i));
    }
    if (sqlite3_step(write) != SQLITE_DONE) {
      ThrowFor(write_->Db(), QStringLiteral("Writing the salvaged rows of %1").arg(table_));
    }
    ++copied_;
  }

  sqlite3* source_;
  QString table_;
  int columnCount_ = 0;
  std::unique_ptr<Statement> read_;
  std::unique_ptr<Statement> write_;
  qint64 copied_ = 0;
};

// Builds a fresh file from what can still be read of a damaged one: the schema first, then each
// table's readable rows (keeping their rowids), then indexes, views and triggers. Returns the
// application id written into the new file.
qint64 Salvage(sqlite3* source, const QString& copy) {
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
  sqlite3* out = target->Handle();
  Exec(out, QStringLiteral("PRAGMA application_id = %1").arg(applicationId), copy);
  Exec(out, QStringLiteral("PRAGMA user_version = %1").arg(userVersion), copy);
  Exec(out, QStringLiteral("BEGIN"), copy);
  for (const SchemaEntry& entry : schema) {
    if (entry.type == u"table") Exec(out, entry.sql, copy);
  }
  bool fired = false;
  for (const SchemaEntry& entry : schema) {
    if (entry.type != u"table") continue;
    bool hasRowid = true;
    {
      sqlite3_stmt* probe = nullptr;
      hasRowid =
          sqlite3_prepare_v2(
              source,
              QStringLiteral("SELECT rowid FROM %1 LIMIT 0").arg(Quoted(entry.name)).toUtf8(), -1,
              &probe, nullptr) == SQLITE_OK;
      sqlite3_finalize(probe);
    }
    if (hasRowid) TableSalvager(source, out, entry.name).CopyAll();
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
void KeepDamaged(const QString& path) {
  const QString keep = DamagedName(path);
  const QByteArray from = QFile::encodeName(path);
  const QByteArray to = QFile::encodeName(keep);
  if (::link(from.constData(), to.constData()) != 0) {
    if (!QFile::copy(path, keep)) {
      throw DatabaseError(
          EIO, QStringLiteral("Could not keep the damaged file '%1' as '%2'.").arg(path, keep),
          kSource);
    }
    FileSystem::SyncFile(keep);
  }
  FileSystem::SyncFolder(QFileInfo(path).absolutePath());
}

void CheckCopy(const QString& copy, qint64 applicationId,
               const std::vector<std::pair<QString, qint64>>& expectedCounts) {
  DatabaseHandle check = Database::Open(copy);
  sqlite3* db = check->Handle();
  if (!PassesCheck(db, "PRAGMA integrity_check")) {
    throw DatabaseError(SQLITE_CORRUPT,
                        QStringLiteral("The new copy '%1' did not pass its check; the database "
                                       "was left as it was.")
                            .arg(copy),
                        kSource);
  }
  if (Number(db, QStringLiteral("PRAGMA application_id")) != applicationId) {
    throw DatabaseError(SQLITE_CORRUPT,
                        QStringLiteral("The new copy '%1' lost the program's mark.").arg(copy),
                        kSource);
  }
  for (const auto& [table, count] : expectedCounts) {
    if (Number(db, QStringLiteral("SELECT count(*) FROM %1").arg(Quoted(table))) != count) {
      throw DatabaseError(SQLITE_CORRUPT,
                          QStringLiteral("The new copy '%1' does not hold all rows of %2; the "
                                         "database was left as it was.")
                              .arg(copy, table),
                          kSource);
    }
  }
  check->Close();
}

}  // namespace

void SetCleanupStepHook(std::function<void(CleanupStep)> hook) { stepHook = std::move(hook); }

void CleanDatabase(const DatabaseHandle& db, const CleanupOptions& options) {
  QString path;
  if (db) {
    path = db->Name();
    db->Close();
  } else if (const DatabaseHandle shared = GetDatabase()) {
    path = shared->Name();
  }
  // The data store holds no open database afterwards, whichever handle was given.
  CloseDatabase();
  if (path.isEmpty()) return;
  Step(CleanupStep::Started);

  BusyScope busy(options.busy);
  auto say = [&options](const QString& text) {
    if (options.progress) options.progress->Progress(text);
  };
  say(QStringLiteral("Checking DB and repairing as necessary..."));

  const QString copy = path + u'1';
  FileSystem::RemoveIfExists(copy);
  FileSystem::RemoveIfExists(copy + QStringLiteral("-journal"));
  Step(CleanupStep::LeftoverRemoved);

  bool damaged = false;
  try {
    // Opened the way the program opens it: a file that is not the program's is refused
    // untouched, and a journal left by a crash is rolled back first.
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0) {
      throw DatabaseError(
          ENOENT, QStringLiteral("The database file '%1' does not exist.").arg(path), kSource);
    }
    DatabaseHandle source = OpenOrCreateDatabase(path);
    sqlite3* in = source->Handle();
    damaged = !PassesCheck(in, "PRAGMA quick_check");
    Step(CleanupStep::Checked);
    say(QStringLiteral("Compacting DB...       Please wait."));

    qint64 applicationId = kApplicationId;
    std::vector<std::pair<QString, qint64>> counts;
    if (!damaged) {
      try {
        applicationId = Number(in, QStringLiteral("PRAGMA application_id"));
        counts = RowCounts(in);
        Compact(in, copy);
      } catch (const DatabaseError& error) {
        // A fault the quick check does not look for shows up while copying: salvage instead.
        if ((error.Number() & 0xff) != SQLITE_CORRUPT) throw;
        damaged = true;
        counts.clear();
        FileSystem::RemoveIfExists(copy);
        FileSystem::RemoveIfExists(copy + QStringLiteral("-journal"));
      }
    }
    if (damaged) {
      applicationId = Salvage(in, copy);
    }
    Step(CleanupStep::CopyWritten);
    source->Close();
    Step(CleanupStep::SourceClosed);

    CheckCopy(copy, applicationId, counts);
    Step(CleanupStep::CopyChecked);
    FileSystem::SyncFile(copy);
    Step(CleanupStep::CopyFlushed);

    // A journal beside the original means some other process is writing to it right now; a
    // rename would lose that write, and the journal would later be played into the new file.
    if (QFileInfo::exists(path + QStringLiteral("-journal"))) {
      throw DatabaseError(SQLITE_BUSY,
                          QStringLiteral("The database file '%1' is being written by another "
                                         "program; the clean-up changed nothing.")
                              .arg(path),
                          kSource);
    }
    if (damaged) {
      KeepDamaged(path);
      Step(CleanupStep::DamagedKept);
    }
  } catch (...) {
    try {
      FileSystem::RemoveIfExists(copy);
      FileSystem::RemoveIfExists(copy + QStringLiteral("-journal"));
    } catch (const DatabaseError&) {
      // The copy is only a copy; the original is untouched either way.
    }
    throw;
  }
  FileSystem::RenameReplacing(copy, path);
  Step(CleanupStep::Replaced);
  say(QStringLiteral("Cleanup Complete."));
  Step(CleanupStep::Finished);
}

}  // namespace DatabaseFunctions
