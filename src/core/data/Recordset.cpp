#include "data/Recordset.h"

#include <sqlite3.h>

#include <QRegularExpression>

#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "data/JetDialect.h"

namespace {

const QString kSource = QStringLiteral("Recordset");
const QString kRowidField = QStringLiteral("rk_rowid_");

// The table a Select reads, when it reads exactly one table and no row of the result stands for
// several rows of that table; empty otherwise.
QString UpdatableTable(const QString& sql) {
  // One copy per thread: the choice lists are also read on a worker thread.
  static thread_local const QRegularExpression select(
      QStringLiteral(
          R"(^\s*Select\s+(?!Distinct\b|DistinctRow\b|Top\b)(.*?)\s+From\s+([A-Za-z_]\w*)\s*(?:$|;|\bWhere\b|\bOrder\s+By\b))"),
      QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
  static thread_local const QRegularExpression grouped(
      QStringLiteral(R"(\bGroup\s+By\b|\bJoin\b|\bUnion\b)"),
      QRegularExpression::CaseInsensitiveOption);
  const auto match = select.match(sql);
  if (!match.hasMatch() || grouped.match(sql).hasMatch()) return {};
  return match.captured(2);
}

}  // namespace

Recordset::Recordset(DatabaseHandle db, const QString& sql) : db_(std::move(db)), sql_(sql) {
  if (!db_ || !db_->IsOpen()) Fail(SQLITE_MISUSE, QStringLiteral("The database is not open."));
  table_ = UpdatableTable(sql);
  if (!table_.isEmpty()) {
    // Carry the rowid as a hidden first column so that the row can be written back. A statement
    // this cannot apply to (a view, say) is read-only instead.
    static thread_local const QRegularExpression head(QStringLiteral(R"(^\s*Select\s+)"),
                                                      QRegularExpression::CaseInsensitiveOption);
    QString withRowid = sql;
    withRowid.replace(head, QStringLiteral("Select %1.rowid AS %2, ").arg(table_, kRowidField));
    try {
      statement_ = db_->Prepare(withRowid, kSource);
      firstField_ = 1;
    } catch (const DatabaseError&) {
      table_.clear();
    }
  }
  if (!statement_.IsPrepared()) statement_ = db_->Prepare(sql, kSource);
  const int columns = statement_.ColumnCount();
  for (int i = firstField_; i < columns; ++i) {
    const QString name = statement_.ColumnName(i);
    index_.insert(name.toCaseFolded(), int(names_.size()));
    names_.append(name);
    isDate_.push_back(statement_.DeclaredType(i).toUpper().contains("DATE"));
  }
  try {
    Step();
  } catch (...) {
    // No destructor runs for an object whose constructor throws; an unfinalized statement would
    // keep its connection alive after the database is closed (a damaged page met at once).
    Close();
    throw;
  }
  if (!hasRow_) count_ = 0;
}

Recordset::~Recordset() { Close(); }

void Recordset::Close() {
  statement_.Finalize();
  hasRow_ = false;
}

void Recordset::Fail(int code, const QString& description) const {
  throw DatabaseError(code, description, kSource);
}

void Recordset::Step() {
  if (!statement_.IsPrepared()) Fail(SQLITE_MISUSE, QStringLiteral("The record set is closed."));
  overrides_.clear();
  currentDeleted_ = false;
  hasRow_ = false;  // and so it stays when the engine fails
  hasRow_ = statement_.Step();
}

void Recordset::Rewind() {
  statement_.Reset();
  position_ = 0;
  Step();
}

int Recordset::RecordCount() {
  if (count_ >= 0) return count_;
  if (exactCountWanted_) {
    // Counting in the engine costs a scan but no rows in memory, which matters for 100,000 DVDs.
    count_ = int(db_->QueryNumber(QStringLiteral("Select count(*) From (") + sql_ + u')', kSource));
    return count_;
  }
  return hasRow_ ? position_ + 1 : position_;
}

void Recordset::MoveFirst() {
  if (count_ == 0) Fail(SQLITE_NOTFOUND, QStringLiteral("No current record."));
  if (position_ != 0 || !hasRow_) Rewind();
}

void Recordset::MoveNext() {
  if (!hasRow_) Fail(SQLITE_NOTFOUND, QStringLiteral("No current record."));
  ++position_;
  Step();
  if (!hasRow_ && count_ < 0) count_ = position_;
}

void Recordset::MoveLast() {
  if (count_ == 0) Fail(SQLITE_NOTFOUND, QStringLiteral("No current record."));
  exactCountWanted_ = true;
  const int last = RecordCount() - 1;
  if (position_ > last || !hasRow_) Rewind();
  while (hasRow_ && position_ < last) {
    ++position_;
    Step();
  }
}

int Recordset::FieldIndex(const QString& name) const {
  return index_.value(name.toCaseFolded(), -1);
}

int Recordset::RequireField(const QString& name) const {
  const int index = FieldIndex(name);
  if (index < 0) {
    Fail(SQLITE_ERROR, QStringLiteral("Item not found in this collection: %1").arg(name));
  }
  return index;
}

void Recordset::RequireRow(const char* operation) const {
  if (!hasRow_ || !statement_.IsPrepared()) {
    Fail(SQLITE_NOTFOUND, QStringLiteral("No current record (%1).").arg(QLatin1String(operation)));
  }
  if (currentDeleted_) Fail(SQLITE_NOTFOUND, QStringLiteral("Record is deleted."));
}

const QVariant* Recordset::Override(int index) const {
  for (const auto& [field, value] : overrides_) {
    if (field == index) return &value;
  }
  return nullptr;
}

QVariant Recordset::Value(int index) const {
  RequireRow("read");
  if (index < 0 || index >= FieldCount())
    Fail(SQLITE_RANGE, QStringLiteral("Field index out of range."));
  if (const QVariant* written = Override(index)) return *written;
  const int column = index + firstField_;
  sqlite3_stmt* const statement = statement_.Handle();
  switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
      return {};
    case SQLITE_INTEGER: {
      const qint64 value = sqlite3_column_int64(statement, column);
      if (value >= INT32_MIN && value <= INT32_MAX) return QVariant(qint32(value));
      return QVariant(value);
    }
    case SQLITE_FLOAT:
      return sqlite3_column_double(statement, column);
    case SQLITE_BLOB:
      return QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                        sqlite3_column_bytes(statement, column));
    default: {
      const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
      const int length = sqlite3_column_bytes(statement, column);
      if (IsDateColumn(index)) {
        const QDateTime date = JetDialect::ParseStoredDate(text, length);
        if (date.isValid()) return date;
      }
      return QString::fromUtf8(text, length);
    }
  }
}

QString Recordset::Text(int index) const {
  RequireRow("read");
  if (Override(index) || index < 0 || index >= FieldCount() || IsDateColumn(index)) {
    const QVariant value = Value(index);
    return value.isNull() ? QString(u""_qs) : value.toString();
  }
  const int column = index + firstField_;
  sqlite3_stmt* const statement = statement_.Handle();
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column)) : QString(u""_qs);
}

qint64 Recordset::RowId() const {
  RequireRow("RowId");
  return firstField_ == 1 ? sqlite3_column_int64(statement_.Handle(), 0) : 0;
}

qint32 Recordset::Long(int index) const {
  RequireRow("read");
  if (Override(index) || index < 0 || index >= FieldCount()) return Value(index).toInt();
  return sqlite3_column_int(statement_.Handle(), index + firstField_);
}

QDateTime Recordset::Date(int index) const {
  const QVariant value = Value(index);
  if (value.typeId() == QMetaType::QDateTime) return value.toDateTime();
  if (value.typeId() == QMetaType::QDate) return value.toDate().startOfDay();
  if (value.typeId() == QMetaType::QString) return JetDialect::ParseStoredDate(value.toString());
  return {};
}

bool Recordset::IsNull(int index) const { return Value(index).isNull(); }

void Recordset::Edit() {
  RequireRow("edit");
  if (table_.isEmpty())
    Fail(SQLITE_READONLY, QStringLiteral("Operation is not supported for this type of object."));
  mode_ = EditMode::Edit;
  pending_.clear();
}

void Recordset::AddNew() {
  if (!statement_.IsPrepared()) Fail(SQLITE_MISUSE, QStringLiteral("The record set is closed."));
  if (table_.isEmpty())
    Fail(SQLITE_READONLY, QStringLiteral("Operation is not supported for this type of object."));
  mode_ = EditMode::AddNew;
  pending_.clear();
}

void Recordset::SetValue(const QString& name, const QVariant& value) {
  if (mode_ == EditMode::None)
    Fail(SQLITE_MISUSE, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
  const int index = RequireField(name);
  for (auto& [field, pending] : pending_) {
    if (field == index) {
      pending = value;
      return;
    }
  }
  pending_.emplace_back(index, value);
}

void Recordset::Update() {
  if (mode_ == EditMode::None)
    Fail(SQLITE_MISUSE, QStringLiteral("Update or CancelUpdate without AddNew or Edit."));
  QString sql;
  if (mode_ == EditMode::Edit) {
    RequireRow("update");
    if (pending_.empty()) {
      mode_ = EditMode::None;
      return;
    }
    QStringList sets;
    for (const auto& [field, value] : pending_)
      sets << QuotedName(names_[field]) + QStringLiteral(" = ?");
    sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
              .arg(QuotedName(table_), sets.join(u", "));
  } else {
    QStringList columns;
    QStringList marks;
    for (const auto& [field, value] : pending_) {
      columns << QuotedName(names_[field]);
      marks << QStringLiteral("?");
    }
    sql = columns.isEmpty()
              ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(QuotedName(table_))
              : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(QuotedName(table_), columns.join(u", "), marks.join(u", "));
  }
  // Written with bound parameters, never by pasting values into the text.
  Statement write = db_->PrepareRaw(sql, kSource);
  int parameter = 1;
  for (const auto& [field, value] : pending_) write.Bind(parameter++, value);
  if (mode_ == EditMode::Edit) write.BindInt64(parameter, statement_.Int64(0));
  write.Run();
  if (mode_ == EditMode::Edit) {
    for (auto& entry : pending_) {
      bool replaced = false;
      for (auto& [field, value] : overrides_) {
        if (field == entry.first) {
          value = entry.second;
          replaced = true;
        }
      }
      if (!replaced) overrides_.push_back(entry);
    }
  } else if (count_ >= 0) {
    ++count_;
  }
  mode_ = EditMode::None;
  pending_.clear();
}

void Recordset::Delete() {
  RequireRow("delete");
  if (table_.isEmpty())
    Fail(SQLITE_READONLY, QStringLiteral("Operation is not supported for this type of object."));
  Statement write = db_->PrepareRaw(
      QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(QuotedName(table_)), kSource);
  write.BindInt64(1, statement_.Int64(0));
  write.Run();
  currentDeleted_ = true;
}

RecordsetPtr OpenRecords(const QString& sql, DatabaseHandle db) {
  if (!db) {
    throw DatabaseError(SQLITE_MISUSE, QStringLiteral("No database is open."),
                        QStringLiteral("OpenRecords"));
  }
  return std::make_unique<Recordset>(std::move(db), sql);
}

void CloseRecords(RecordsetPtr& records) {
  if (records) records->Close();
  records.reset();
}

bool NoRecords(Recordset* records) { return !records || records->RecordCount() < 1; }

void FetchAllRecords(Recordset& records) {
  // Same outcome as visiting the last row and coming back (first row current, exact count), but
  // without sorting and walking the whole result twice: the count is made when it is asked for.
  records.MoveFirst();
  records.RequestExactCount();
}

QString SqlText(const QVariant& value) {
  if (!value.isValid() || value.isNull()) return QString(u""_qs);
  switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QChar:
      return u'\'' + value.toString().replace(u'\'', QStringLiteral("''")) + u'\'';
    case QMetaType::QDate:
      return u'#' + value.toDate().toString(u"MM-dd-yyyy") + u'#';
    case QMetaType::QDateTime: {
      const QDateTime dateTime = value.toDateTime();
      QString literal = dateTime.date().toString(u"MM-dd-yyyy");
      if (dateTime.time() != QTime(0, 0)) literal += dateTime.time().toString(u" HH:mm:ss");
      return u'#' + literal + u'#';
    }
    case QMetaType::Bool:
      return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    case QMetaType::UChar:
    case QMetaType::SChar:
    case QMetaType::Char:
      // QVariant turns a byte into the character of that code; a literal wants the number.
      return QString::number(value.toInt());
    case QMetaType::Float:
      return QString::number(value.toFloat(), 'g', QLocale::FloatingPointShortest);
    case QMetaType::Double:
      return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    default:
      return value.toString();
  }
}

QString QuotedName(const QString& name) {
  return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QVariant NoNull(const QVariant& value) {
  if (!value.isValid() || value.isNull()) return QString(u""_qs);
  return value;
}
