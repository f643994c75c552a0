#pragma once

#include <QString>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// One open database file. The program shares one of these (DatabaseFunctions::GetDatabase) and
// the table owners keep copies of the handle, hence the shared pointer.
class Database {
 public:
  // Opens an existing SQLite file for reading and writing, with the program's dialect installed.
  // Throws DatabaseError when the file cannot be opened.
  static std::shared_ptr<Database> Open(const QString& path);
  // Creates a new, empty SQLite file (fails when one exists already).
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
  // Prepares one statement in the program's dialect; the caller finalizes it.
  sqlite3_stmt* Prepare(const QString& sql, const QString& source = QStringLiteral("Database"));
  // Runs a statement whose result is one whole number (a PRAGMA, a count).
  qint64 QueryNumber(const QString& sql, const QString& source = QStringLiteral("Database"));

  // Closes the connection; statements still open keep it alive until they are finalized.
  void Close();

  [[noreturn]] void ThrowLastError(const QString& source) const;

 private:
  Database(sqlite3* db, QString name);
  static std::shared_ptr<Database> OpenWith(const QString& path, int flags);

  sqlite3* db_;
  QString name_;
};

using DatabaseHandle = std::shared_ptr<Database>;

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
  bool done_ = false;
};
