#include "data/Database.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>

#include "app/DatabaseError.h"
#include "data/JetDialect.h"
#include "data/ListSortKey.h"

Database::Database(sqlite3* db, QString name) : db_(db), name_(std::move(name)) {}

Database::~Database() { Close(); }

std::shared_ptr<Database> Database::OpenWith(const QString& path, int flags) {
  sqlite3* db = nullptr;
  const QByteArray file = path.toUtf8();
  const int rc = sqlite3_open_v2(file.constData(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const DatabaseError error = EngineError(db, rc, QStringLiteral("Database"));
    sqlite3_close_v2(db);
    throw DatabaseError(error.Number(), QStringLiteral("%1 (%2)").arg(error.Description(), path),
                        error.Source(), error.From());
  }
  sqlite3_extended_result_codes(db, 1);
  sqlite3_busy_timeout(db, 1000);  // another program's write: a moment, not a frozen window
  JetDialect::RegisterFunctions(db);
  ListSortKey::Register(db);
  auto handle = std::shared_ptr<Database>(new Database(db, path));
  // Settings of this connection only: neither writes to the file.
  handle->ExecuteRaw(QStringLiteral("PRAGMA synchronous=FULL"));
  // Looking a DVD up by title scans the table (text columns compare through the program's own
  // collation, so they carry no index); a cache that holds a large collection's pages keeps each
  // scan in memory. 32 MiB holds well over 100,000 DVDs.
  handle->ExecuteRaw(QStringLiteral("PRAGMA cache_size=-32768"));
  return handle;
}

std::shared_ptr<Database> Database::Open(const QString& path) {
  return OpenWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
}

std::shared_ptr<Database> Database::OpenReadOnly(const QString& path) {
  return OpenWith(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
}

std::shared_ptr<Database> Database::Create(const QString& path) {
  auto handle = OpenWith(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX);
  handle->UseRollbackJournal();
  return handle;
}

void Database::UseRollbackJournal() { ExecuteRaw(QStringLiteral("PRAGMA journal_mode=DELETE")); }

bool Database::IsReadOnly() const { return db_ && sqlite3_db_readonly(db_, "main") == 1; }

void Database::StopWhen(const std::atomic<bool>* stop) {
  constexpr auto kStopped = [](void* flag) {
    return static_cast<const std::atomic<bool>*>(flag)->load() ? 1 : 0;
  };
  sqlite3_progress_handler(db_, 1000, kStopped, const_cast<std::atomic<bool>*>(stop));
}

void Database::CountWritesTo(const QString& table) {
  countedTable_ = table.toUtf8();
  writesCounted_ = 0;
  constexpr auto kCount = [](void* self, int, const char* database, const char* written,
                             sqlite3_int64) {
    auto* db = static_cast<Database*>(self);
    if (std::strcmp(database, "main") == 0 &&
        sqlite3_stricmp(written, db->countedTable_.constData()) == 0) {
      ++db->writesCounted_;
    }
  };
  if (db_) sqlite3_update_hook(db_, kCount, this);
}

void Database::Close() {
  if (db_) {
    sqlite3_close_v2(db_);
    db_ = nullptr;
  }
}

void Database::CloseUntouched() {
  if (db_) sqlite3_db_config(db_, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  Close();
}

void Database::ExecuteRaw(const QString& sql, const QString& source) {
  if (!db_) throw DatabaseError(SQLITE_MISUSE, QStringLiteral("The database is closed."), source);
  const QByteArray text = sql.toUtf8();
  char* error = nullptr;
  const int rc = sqlite3_exec(db_, text.constData(), nullptr, nullptr, &error);
  sqlite3_free(error);
  if (rc != SQLITE_OK) throw EngineError(db_, rc, source);
}

void Database::Execute(const QString& sql, const QString& source) {
  ExecuteRaw(JetDialect::TranslateSql(sql), source);
}

Statement Database::PrepareRaw(const QString& sql, const QString& source) {
  return Statement(db_, sql, source);
}

Statement Database::Prepare(const QString& sql, const QString& source) {
  return PrepareRaw(JetDialect::TranslateSql(sql), source);
}

qint64 Database::QueryNumber(const QString& sql, const QString& source) {
  return Prepare(sql, source).Number();
}

Transaction::Transaction(const DatabaseHandle& db) : db_(db) {
  static std::atomic<int> counter{0};
  name_ = QStringLiteral("rk_tx_%1").arg(++counter);
  outermost_ = db_->IsOpen() && sqlite3_get_autocommit(db_->Handle()) != 0;
  db_->ExecuteRaw(QStringLiteral("SAVEPOINT ") + name_, QStringLiteral("Transaction"));
}

Transaction::~Transaction() {
  if (done_ || !db_->IsOpen()) return;
  try {
    // Releasing a rolled-back outermost savepoint would still commit, and that empty commit
    // rewrites the file's header: only a plain rollback leaves the file as it was.
    if (outermost_) {
      db_->ExecuteRaw(QStringLiteral("ROLLBACK"), QStringLiteral("Transaction"));
    } else {
      db_->ExecuteRaw(QStringLiteral("ROLLBACK TO ") + name_, QStringLiteral("Transaction"));
      db_->ExecuteRaw(QStringLiteral("RELEASE ") + name_, QStringLiteral("Transaction"));
    }
  } catch (const DatabaseError&) {
    // Nothing more can be done here: the engine rolls an unfinished transaction back itself.
  }
}

void Transaction::Commit() {
  db_->ExecuteRaw(QStringLiteral("RELEASE ") + name_, QStringLiteral("Transaction"));
  done_ = true;
}
