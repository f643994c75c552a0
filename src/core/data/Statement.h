#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include "app/DatabaseError.h"

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;

// The engine's last error on a connection as the program's error: SQLite's extended code, its
// text (with the operating system's reason when a file operation failed underneath), and, when
// given, what was being done before it.
DatabaseError EngineError(sqlite3* db, int rc, const QString& source, const QString& context = {});

// One prepared statement, finalized whichever way its owner is left. Every statement of the
// program goes through this class; Database::Prepare makes them.
class Statement {
 public:
  Statement() = default;
  // Prepares sql exactly as given. Throws DatabaseError when the engine refuses it.
  Statement(sqlite3* db, const QString& sql, const QString& source);
  ~Statement();
  Statement(Statement&& other) noexcept;
  Statement& operator=(Statement&& other) noexcept;
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  bool IsPrepared() const { return statement_ != nullptr; }
  // True with a row to read, false at the end; an engine error throws.
  bool Step();
  // The engine's own answer (SQLITE_ROW, SQLITE_DONE or an error code), for a caller that decides
  // itself what an error means.
  int TryStep();
  // Runs a statement that returns no rows.
  void Run();
  // The first column of the first row as a number; 0 when there is no row.
  qint64 Number();
  void Reset();
  void Finalize();

  // Parameters count from 1. Numbers go in as numbers, dates as the text they are stored as.
  void Bind(int index, const QVariant& value);
  void BindText(int index, const QString& text);
  void BindInt64(int index, qint64 value);
  void BindValue(int index, const sqlite3_value* value);

  int ColumnCount() const;
  QString ColumnName(int column) const;
  QByteArray DeclaredType(int column) const;
  qint64 Int64(int column) const;
  // Empty text for Null.
  QString Text(int column) const;
  QByteArray Blob(int column) const;
  // The column's bytes as text or blob, valid until the next step: for comparing without a copy.
  QByteArrayView Bytes(int column) const;
  const sqlite3_value* Value(int column) const;

  sqlite3_stmt* Handle() const { return statement_; }
  [[noreturn]] void Fail(int rc) const;

 private:
  sqlite3* db_ = nullptr;
  sqlite3_stmt* statement_ = nullptr;
  QString source_;
};
