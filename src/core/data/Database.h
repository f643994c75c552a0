#pragma once

#include <QString>
#include <atomic>
#include <memory>

#include "app/DatabaseHandle.h"
#include "data/Statement.h"

struct sqlite3;

// One open database file. A collection (app/Collection.h) holds the one the program works on,
// and recordsets and transactions keep copies of the handle, hence the shared pointer.
class Database {
 public:
  // Opens an existing SQLite file for reading and writing, with the program's dialect installed.
  // Opening writes nothing, so a file can be looked at before it is accepted; UseRollbackJournal
  // then sets the journal the program writes with. Throws DatabaseError when it cannot be opened.
  static std::shared_ptr<Database> Open(const QString& path);
  // Opens an existing file for reading only: nothing can be written to it, not even a journal
  // left by a crash (such a file fails instead).
  static std::shared_ptr<Database> OpenReadOnly(const QString& path);
  // Creates a new, empty SQLite file with the program's journal.
  static std::shared_ptr<Database> Create(const QString& path);

  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // The full path the database was opened with.
  const QString& Name() const { return name_; }
  bool IsOpen() const { return db_ != nullptr; }
  bool IsReadOnly() const;
  sqlite3* Handle() const { return db_; }

  // Runs statements in the program's dialect that return no rows.
  void Execute(const QString& sql, const QString& source = QStringLiteral("Database"));
  // Prepares one statement in the program's dialect.
  Statement Prepare(const QString& sql, const QString& source = QStringLiteral("Database"));
  // Runs a statement in the program's dialect whose result is one whole number (a count).
  qint64 QueryNumber(const QString& sql, const QString& source = QStringLiteral("Database"));
  // The engine's own statements (PRAGMAs, schema changes, paths in literals) go to SQLite as
  // they are written: the dialect must never rewrite them.
  void ExecuteRaw(const QString& sql, const QString& source = QStringLiteral("Database"));
  Statement PrepareRaw(const QString& sql, const QString& source = QStringLiteral("Database"));

  // Rollback journal and a full flush at every commit: a crash or a power cut loses at most the
  // write under way. Changes a file that another tool left in WAL mode, so it runs only once the
  // file has been accepted.
  void UseRollbackJournal();

  // Work on another thread is stopped from the user-interface thread through `stop`: once it is
  // set, the statement under way fails with SQLITE_INTERRUPT. The flag must outlive the
  // connection's statements.
  void StopWhen(const std::atomic<bool>* stop);

  // Counts the rows written to `table` on this connection from now on: a view knows from the
  // count whether the table has moved since it was filled, without reading it. One table.
  void CountWritesTo(const QString& table);
  qint64 WritesCounted() const { return writesCounted_; }
  // Closes the connection; statements still open keep it alive until they are finalized.
  void Close();
  // Closes without folding a write-ahead log into the file, for a file that is refused.
  void CloseUntouched();

 private:
  Database(sqlite3* db, QString name);
  static std::shared_ptr<Database> OpenWith(const QString& path, int flags);

  sqlite3* db_;
  QString name_;
  QByteArray countedTable_;
  qint64 writesCounted_ = 0;
};

// Groups writes that belong together; rolled back unless Commit() is called. Nests.
class Transaction {
 public:
  explicit Transaction(const DatabaseHandle& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  void Commit();

 private:
  DatabaseHandle db_;
  QString name_;
  bool outermost_ = false;
  bool done_ = false;
};
