#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>
#include <vector>

#include "data/Database.h"

// An updatable result set over one SQL text, read field by field as the program's record-set
// idiom expects: OpenRecords, NoRecords, FetchAllRecords, walk, CloseRecords.
//
// Rows are read straight from the engine's statement as the cursor moves, so that walking
// 100,000 DVDs never holds them all in memory. A Select over a single table also carries each
// row's rowid, which lets Edit/AddNew/Update/Delete write back through bound parameters.
class Recordset {
 public:
  Recordset(DatabaseHandle db, const QString& sql);
  ~Recordset();
  Recordset(const Recordset&) = delete;
  Recordset& operator=(const Recordset&) = delete;

  // Right after opening: 0 for an empty result, at least 1 otherwise. Exact after MoveLast or
  // FetchAllRecords, or once the cursor has passed the last row.
  int RecordCount();
  bool Eof() const { return !hasRow_; }

  void MoveFirst();
  void MoveNext();
  void MoveLast();
  // The next RecordCount() is exact (counted by the engine unless the cursor passed the end).
  void RequestExactCount() { exactCountWanted_ = true; }

  int FieldCount() const { return int(names_.size()); }
  QString FieldName(int index) const { return names_.value(index); }
  // -1 when the result has no field of that name (letter case ignored, as the engine does).
  int FieldIndex(const QString& name) const;

  // Typed reads of the current row. Value gives the engine's value (a null QVariant for Null);
  // Text gives empty text for Null; Date gives an invalid QDateTime for Null.
  QVariant Value(int index) const;
  QVariant Value(const QString& name) const { return Value(RequireField(name)); }
  QString Text(int index) const;
  QString Text(const QString& name) const { return Text(RequireField(name)); }
  qint32 Long(int index) const;
  qint32 Long(const QString& name) const { return Long(RequireField(name)); }
  QDateTime Date(int index) const;
  QDateTime Date(const QString& name) const { return Date(RequireField(name)); }
  bool IsNull(int index) const;
  bool IsNull(const QString& name) const { return IsNull(RequireField(name)); }
  // The current row's rowid; 0 for a result that cannot be written back.
  qint64 RowId() const;

  // Writing: Edit (the current row) or AddNew, then SetValue for each field, then Update.
  void Edit();
  void AddNew();
  void SetValue(const QString& name, const QVariant& value);
  void Update();
  void Delete();

  void Close();

 private:
  enum class EditMode { None, Edit, AddNew };

  int RequireField(const QString& name) const;
  void RequireRow(const char* operation) const;
  void Step();
  void Rewind();
  bool IsDateColumn(int index) const { return isDate_[size_t(index)]; }
  const QVariant* Override(int index) const;
  [[noreturn]] void Fail(int code, const QString& description) const;

  DatabaseHandle db_;
  QString sql_;
  QString table_;  // empty when the result cannot be written back
  Statement statement_;
  int firstField_ = 0;  // 1 when column 0 holds the rowid
  QStringList names_;
  QHash<QString, int> index_;  // case-folded field name -> field index
  std::vector<bool> isDate_;
  bool hasRow_ = false;
  bool exactCountWanted_ = false;
  int position_ = 0;
  int count_ = -1;
  bool currentDeleted_ = false;
  EditMode mode_ = EditMode::None;
  std::vector<std::pair<int, QVariant>> pending_;
  std::vector<std::pair<int, QVariant>> overrides_;  // values written to the current row
};

using RecordsetPtr = std::unique_ptr<Recordset>;

// Opens a record set on db.
RecordsetPtr OpenRecords(const QString& sql, DatabaseHandle db);
void CloseRecords(RecordsetPtr& records);
// True when there is no record set or it has no row.
bool NoRecords(Recordset* records);
inline bool NoRecords(const RecordsetPtr& records) { return NoRecords(records.get()); }
// Makes the count exact and the first row current; only on a non-empty set.
void FetchAllRecords(Recordset& records);
inline void FetchAllRecords(const RecordsetPtr& records) { FetchAllRecords(*records); }

// A value as a literal of the program's SQL: text in single quotes with inner quotes doubled,
// dates as #mm-dd-yyyy#, numbers with a decimal point whatever the locale, Null as nothing.
QString SqlText(const QVariant& value);
// A table or column name as a quoted SQL name, whatever characters it holds.
QString QuotedName(const QString& name);
// Empty text for an absent value, the value itself otherwise.
QVariant NoNull(const QVariant& value);
