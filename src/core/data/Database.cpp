#include "data/Database.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>

#include "app/DatabaseError.h"
#include "data/JetDialect.h"

namespace {

// The engine's words, plus the operating system's when a file operation failed underneath:
// "disk I/O error" alone does not tell a full disk from a removed drive.
QString Describe(sqlite3* db, const QString& engineText) {
  const int systemError = db ? sqlite3_system_errno(db) : 0;
  const int primary = db ? (sqlite3_extended_errcode(db) & 0xFF) : 0;
  if (systemError != 0 &&
      (primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN)) {
    return engineText + QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(systemError)) +
           u')';
  }
  return engineText;
}

[[noreturn]] void ThrowFor(sqlite3* db, int rc, const QString& source) {
  const QString description = db ? Describe(db, QString::fromUtf8(sqlite3_errmsg(db)))
                                 : QString::fromUtf8(sqlite3_errstr(rc));
  throw DatabaseError(db ? sqlite3_extended_errcode(db) : rc, description, source);
}

}  // namespace

Database::Database(sqlite3* db, QString name) : db_(db), name_(std::move(name)) {}

Database::~Database() { Close(); }

std::shared_ptr<Database> Database::OpenWith(const QString& path, int flags) {
  sqlite3* db = nullptr;
  const QByteArray file = path.toUtf8();
  const int rc = sqlite3_open_v2(file.constData(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const int code = db ? sqlite3_extended_errcode(db) : rc;
    const QString message = db ? Describe(db, QString::fromUtf8(sqlite3_errmsg(db)))
                               : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    throw DatabaseError(code, QStringLiteral("%1 (%2)").arg(message, path),
                        QStringLiteral("Database"));
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, 1000);  // another program's write: a moment, not a frozen window
  JetDialect::RegisterFunctions(db);
  auto handle = std::shared_ptr<Database>(new Database(db, path));
  // Durability first: a rollback journal and a full flush at every commit, so that a crash or a
  // power cut loses at most the write under way.
  handle->Execute(QStringLiteral("PRAGMA journal_mode=DELETE"));
  handle->Execute(QStringLiteral("PRAGMA synchronous=FULL"));
  // Looking a DVD up by title scans the table (text columns compare through the program's own
  // collation, so they carry no index); a cache that holds a large collection's pages keeps each
  // scan in memory. 32 MiB holds well over 100,000 DVDs.
  handle->Execute(QStringLiteral("PRAGMA cache_size=-32768"));
  return handle;
}

std::shared_ptr<Database> Database::Open(const QString& path) {
  return OpenWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
}

std::shared_ptr<Database> Database::Create(const QString& path) {
  return OpenWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
}

bool Database::IsReadOnly() const { return db_ && sqlite3_db_readonly(db_, "main") == 1; }

void Database::Close() {
  if (db_) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

void Database::ThrowLastError(const QString& source) const {
  if (!db_) throw DatabaseError(SQLITE_MISUSE, QStringLiteral("The database is closed."), source);
  ThrowFor(db_, sqlite3_errcode(db_), source);
}

void Database::Execute(const QString& sql, const QString& source) {
  if (!db_) ThrowLastError(source);
  const QByteArray text = JetDialect::TranslateSql(sql).toUtf8();
  char* error = nullptr;
  const int rc = sqlite3_exec(db_, text.constData(), nullptr, nullptr, &error);
  if (rc != SQLITE_OK) {
    const QString description =
        Describe(db_, QString::fromUtf8(error ? error : sqlite3_errstr(rc)));
    sqlite3_free(error);
    throw DatabaseError(sqlite3_extended_errcode(db_), description, source);
  }
}

sqlite3_stmt* Database::Prepare(const QString& sql, const QString& source) {
  if (!db_) ThrowLastError(source);
  const QByteArray text = JetDialect::TranslateSql(sql).toUtf8();
  sqlite3_stmt* statement = nullptr;
  const int rc = sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &statement, nullptr);
  if (rc != SQLITE_OK) ThrowFor(db_, rc, source);
  return statement;
}

qint64 Database::QueryNumber(const QString& sql, const QString& source) {
  sqlite3_stmt* statement = Prepare(sql, source);
  const int rc = sqlite3_step(statement);
  const qint64 value = rc == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
  sqlite3_finalize(statement);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) ThrowFor(db_, rc, source);
  return value;
}

Transaction::Transaction(const DatabaseHandle& db) : db_(db) {
  static std::atomic<int> counter{0};
  name_ = QStringLiteral("rk_tx_%1").arg(++counter);
  db_->Execute(QStringLiteral("SAVEPOINT ") + name_, QStringLiteral("Transaction"));
}

Transaction::~Transaction() {
  if (done_ || !db_->IsOpen()) return;
  try {
    db_->Execute(QStringLiteral("ROLLBACK TO ") + name_, QStringLiteral("Transaction"));
    db_->Execute(QStringLiteral("RELEASE ") + name_, QStringLiteral("Transaction"));
  } catch (const DatabaseError&) {
    // Nothing more can be done here: the engine rolls an unfinished transaction back itself.
  }
}

void Transaction::Commit() {
  db_->Execute(QStringLiteral("RELEASE ") + name_, QStringLiteral("Transaction"));
  done_ = true;
}
