#include "data/Statement.h"

#include <sqlite3.h>

#include <QDateTime>
#include <cerrno>
#include <cstring>
#include <utility>

#include "data/JetDialect.h"

DatabaseError EngineError(sqlite3* db, int rc, const QString& source, const QString& context) {
  QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  const int code = db ? sqlite3_extended_errcode(db) : rc;
  // "disk I/O error" alone does not tell a full disk from a removed drive.
  const int systemError = db ? sqlite3_system_errno(db) : 0;
  const int primary = code & 0xFF;
  if (systemError != 0 &&
      (primary == SQLITE_IOERR || primary == SQLITE_FULL || primary == SQLITE_CANTOPEN)) {
    text += QStringLiteral(" (") + QString::fromLocal8Bit(std::strerror(systemError)) + u')';
  }
  if (!context.isEmpty()) text = context + QStringLiteral(": ") + text;
  // A write that found no room fails as "disk I/O error" when not even one byte fit, and as
  // "database or disk is full" when some did: both are a full disk to the user.
  if (primary == SQLITE_IOERR &&
      (systemError == ENOSPC || systemError == EDQUOT || systemError == EFBIG)) {
    return DatabaseError(SQLITE_FULL, text, source);
  }
  return DatabaseError(code, text, source);
}

Statement::Statement(sqlite3* db, const QString& sql, const QString& source)
    : db_(db), source_(source) {
  if (!db) throw DatabaseError(SQLITE_MISUSE, QStringLiteral("The database is closed."), source);
  const QByteArray text = sql.toUtf8();
  const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement_, nullptr);
  if (rc != SQLITE_OK) {
    sqlite3_finalize(statement_);
    statement_ = nullptr;
    throw EngineError(db, rc, source);
  }
}

Statement::~Statement() { Finalize(); }

Statement::Statement(Statement&& other) noexcept
    : db_(other.db_),
      statement_(std::exchange(other.statement_, nullptr)),
      source_(std::move(other.source_)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
  if (this != &other) {
    Finalize();
    db_ = other.db_;
    statement_ = std::exchange(other.statement_, nullptr);
    source_ = std::move(other.source_);
  }
  return *this;
}

void Statement::Finalize() {
  sqlite3_finalize(statement_);
  statement_ = nullptr;
}

void Statement::Fail(int rc) const { throw EngineError(db_, rc, source_); }

int Statement::TryStep() {
  if (!statement_) {
    throw DatabaseError(SQLITE_MISUSE, QStringLiteral("The statement is closed."), source_);
  }
  return sqlite3_step(statement_);
}

bool Statement::Step() {
  const int rc = TryStep();
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  Fail(rc);
}

void Statement::Run() {
  while (Step()) {
  }
}

qint64 Statement::Number() { return Step() ? Int64(0) : 0; }

void Statement::Reset() {
  if (statement_) sqlite3_reset(statement_);
}

void Statement::Bind(int index, const QVariant& value) {
  if (!value.isValid() || value.isNull()) {
    sqlite3_bind_null(statement_, index);
    return;
  }
  switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::UChar:
    case QMetaType::SChar:
    case QMetaType::Char:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
      sqlite3_bind_int64(statement_, index, value.toLongLong());
      return;
    case QMetaType::Float:
    case QMetaType::Double:
      sqlite3_bind_double(statement_, index, value.toDouble());
      return;
    case QMetaType::QDate:
    case QMetaType::QDateTime: {
      // Dates go in as the same text a date literal becomes, so both compare alike.
      const QDateTime when =
          value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
      if (!when.isValid()) {
        sqlite3_bind_null(statement_, index);
        return;
      }
      BindText(index, JetDialect::DateTimeToStorage(when));
      return;
    }
    case QMetaType::QByteArray: {
      const QByteArray bytes = value.toByteArray();
      sqlite3_bind_blob(statement_, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
      return;
    }
    default:
      BindText(index, value.toString());
      return;
  }
}

void Statement::BindText(int index, const QString& text) {
  sqlite3_bind_text16(statement_, index, text.utf16(), int(text.size() * 2), SQLITE_TRANSIENT);
}

void Statement::BindInt64(int index, qint64 value) { sqlite3_bind_int64(statement_, index, value); }

void Statement::BindValue(int index, const sqlite3_value* value) {
  sqlite3_bind_value(statement_, index, value);
}

int Statement::ColumnCount() const { return sqlite3_column_count(statement_); }

QString Statement::ColumnName(int column) const {
  return QString::fromUtf8(sqlite3_column_name(statement_, column));
}

QByteArray Statement::DeclaredType(int column) const {
  return QByteArray(sqlite3_column_decltype(statement_, column));
}

qint64 Statement::Int64(int column) const { return sqlite3_column_int64(statement_, column); }

QString Statement::Text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, column));
  return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement_, column)) : QString();
}

QByteArray Statement::Blob(int column) const {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  return QByteArray(bytes, sqlite3_column_bytes(statement_, column));
}

QByteArrayView Statement::Bytes(int column) const {
  const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement_, column));
  return QByteArrayView(bytes, sqlite3_column_bytes(statement_, column));
}

const sqlite3_value* Statement::Value(int column) const {
  return sqlite3_column_value(statement_, column);
}
