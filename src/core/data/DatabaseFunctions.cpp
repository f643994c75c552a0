#include "data/DatabaseFunctions.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>

#include "app/DatabaseError.h"
#include "data/DatabaseFile.h"
#include "data/FileSystem.h"
#include "data/JetDialect.h"
#include "data/Recordset.h"

namespace DatabaseFunctions {

QStringList& TablesDeclared() {
  static QStringList tables;
  return tables;
}

bool DeclareTable(const QString& name) {
  TablesDeclared() << name;
  return true;
}

const QStringList& DeclaredTables() { return TablesDeclared(); }

QStringList& DerivedTablesDeclared() {
  static QStringList tables;
  return tables;
}

bool DeclareDerivedTable(const QString& name) {
  DerivedTablesDeclared() << name;
  return true;
}

const QStringList& DerivedTables() { return DerivedTablesDeclared(); }
namespace {

const QString kSource = QStringLiteral("DatabaseFunctions");

QString DeclaredType(short type) {
  switch (type) {
    case dbText:
    case dbMemo:
      // TEXT keeps a bar code "007" as text; NOCASE lets other tools compare as the program does.
      return QStringLiteral("TEXT COLLATE NOCASE");
    case dbLong:
      return QStringLiteral("INTEGER");
    case dbDate:
      return QStringLiteral("DATE");
    case dbBoolean:
      return QStringLiteral("BOOLEAN");
    case dbKey:
      return QStringLiteral("INTEGER PRIMARY KEY");
    default:
      return QStringLiteral("TEXT");
  }
}

short TypeFromDeclared(const QString& declared) {
  const QString upper = declared.toUpper();
  if (upper.contains(u"DATE")) return dbDate;
  if (upper.contains(u"BOOL")) return dbBoolean;
  if (upper.contains(u"INT")) return dbLong;
  return dbText;
}

// A column's default as SQLite reads it in a table definition.
QString DefaultLiteral(short type, const QVariant& value) {
  if (!value.isValid() || value.isNull()) return {};
  switch (type) {
    case dbDate: {
      const QDateTime date =
          value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
      return SqlText(JetDialect::DateTimeToStorage(date));
    }
    case dbLong:
      return QString::number(value.toLongLong());
    case dbBoolean:
      return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
      return SqlText(value.toString());
  }
}

QString PropertyText(short type, const QVariant& value) {
  if (type == dbBoolean) return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  return value.toString();
}

void EnsurePropertyTable(const DatabaseHandle& db) {
  db->ExecuteRaw(
      QStringLiteral("CREATE TABLE IF NOT EXISTS ColumnProperties (TableName TEXT NOT NULL, "
                     "ColumnName TEXT NOT NULL, PropertyName TEXT NOT NULL, PropertyType INTEGER, "
                     "PropertyValue TEXT, PRIMARY KEY (TableName, ColumnName, PropertyName))"),
      kSource);
}

// The rows of one column property, whatever the letter case their names were written in.
const QString kPropertyRow = QStringLiteral(
    "TableName = ?1 COLLATE NOCASE AND ColumnName = ?2 COLLATE NOCASE AND PropertyName = ?3 "
    "COLLATE NOCASE");

void BindPropertyRow(Statement& statement, const QString& table, const QString& field,
                     const QString& property) {
  statement.BindText(1, table);
  statement.BindText(2, field);
  statement.BindText(3, property);
}

DatabaseHandle CreateNew(const QString& path, const QString& file,
                         const NewDatabaseSetUp& setUpNew) {
  const QString temporary = QStringLiteral("%1.new-%2").arg(file).arg(::getpid());
  FileSystem::RemoveIfExists(temporary);
  FileSystem::RemoveIfExists(temporary + QStringLiteral("-journal"));
  try {
    {
      DatabaseHandle db = Database::Create(temporary);
      db->ExecuteRaw(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId), kSource);
      db->ExecuteRaw(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion), kSource);
      EnsurePropertyTable(db);
      if (setUpNew) setUpNew(db);
      db->Close();
    }
    FileSystem::SyncFile(temporary);
    FileSystem::RenameReplacing(temporary, file);
  } catch (...) {
    FileSystem::RemoveIfExists(temporary);
    FileSystem::RemoveIfExists(temporary + QStringLiteral("-journal"));
    throw;
  }
  return DatabaseFile::OpenExisting(path, DatabaseFile::Purpose::Use);
}

}  // namespace

DatabaseHandle OpenOrCreateDatabase(const QString& path, const NewDatabaseSetUp& setUpNew) {
  // Through a link the file itself is made or opened: the link stays, and one that leads
  // nowhere is refused rather than replaced by an empty database.
  const QString file = DatabaseFile::ResolvedPath(path);
  const QFileInfo info(file);
  if (info.exists() && !info.isFile()) {
    throw DatabaseError::System(
        EISDIR,
        QStringLiteral("The file '%1' is not a file. It has been left untouched.").arg(path),
        kSource);
  }
  // An empty file holds nothing to lose: it is what a crash during a first start could leave
  // with other programs, so it is treated as missing.
  if (!info.exists() || info.size() == 0) {
    return CreateNew(path, file, setUpNew);
  }
  DatabaseHandle db = DatabaseFile::OpenExisting(path, DatabaseFile::Purpose::Use);
  RemoveCleanupLeftover(file);
  return db;
}

void RemoveCleanupLeftover(const QString& path) {
  try {
    const QString copy = DatabaseFile::ResolvedPath(path) + u'1';
    FileSystem::RemoveIfExists(copy);
    FileSystem::RemoveIfExists(copy + QStringLiteral("-journal"));
  } catch (const DatabaseError&) {
    // Only clutter: the next clean-up removes it before it starts, or says why it cannot.
  }
}

std::optional<TableDef> FindTableDef(const DatabaseHandle& db, const QString& name) {
  if (!db || !db->IsOpen()) {
    throw DatabaseError(SQLITE_MISUSE, QStringLiteral("The database is not open."), kSource);
  }
  Statement query = db->PrepareRaw(
      QStringLiteral(
          "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE"),
      kSource);
  query.BindText(1, name);
  if (!query.Step()) return std::nullopt;
  TableDef table{db, name, query.Text(0), true, {}};
  Statement columns =
      db->PrepareRaw(QStringLiteral("SELECT name, type FROM pragma_table_info(?1)"), kSource);
  columns.BindText(1, table.storedName);
  while (columns.Step()) {
    table.fields.push_back({columns.Text(0), TypeFromDeclared(columns.Text(1)), {}});
  }
  return table;
}

TableDef EnsureTableDef(const DatabaseHandle& db, const QString& name, bool& created) {
  if (auto found = FindTableDef(db, name)) {
    created = false;
    return *found;
  }
  created = true;
  return TableDef{db, name, name, false, {}};
}

std::optional<FieldDef> FindField(const TableDef& table, const QString& name) {
  for (const FieldDef& field : table.fields) {
    if (field.name.compare(name, Qt::CaseInsensitive) == 0) return field;
  }
  return std::nullopt;
}

FieldDef EnsureField(TableDef& table, const QString& name, short type,
                     const QVariant& defaultValue) {
  if (auto found = FindField(table, name)) return *found;
  FieldDef field{name, type, defaultValue};
  if (table.stored) {
    // A stored table cannot gain a primary key: a key column added later is a plain number that
    // takes each row's rowid, and the owner numbers new rows itself.
    const QString declared = type == dbKey ? QStringLiteral("INTEGER") : DeclaredType(type);
    QString sql = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                      .arg(QuotedName(table.storedName), QuotedName(name), declared);
    const QString literal = DefaultLiteral(type, defaultValue);
    if (!literal.isEmpty()) sql += QStringLiteral(" DEFAULT ") + literal;
    table.db->ExecuteRaw(sql, kSource);
    if (type == dbKey) {
      table.db->ExecuteRaw(QStringLiteral("UPDATE %1 SET %2 = rowid")
                               .arg(QuotedName(table.storedName), QuotedName(name)),
                           kSource);
    }
  }
  table.fields.push_back(field);
  return field;
}

void EnsureFieldProperty(TableDef& table, const QString& field, const QString& property,
                         short propertyType, const QVariant& value) {
  EnsurePropertyTable(table.db);
  // One row per column and property: the first row written under any letter case is kept and
  // rewritten, other spellings of it go.
  Statement find = table.db->PrepareRaw(
      QStringLiteral("SELECT rowid FROM ColumnProperties WHERE %1 ORDER BY rowid")
          .arg(kPropertyRow),
      kSource);
  BindPropertyRow(find, table.name, field, property);
  std::vector<qint64> rows;
  while (find.Step()) rows.push_back(find.Int64(0));
  find.Finalize();

  Statement write = table.db->PrepareRaw(
      rows.empty()
          ? QStringLiteral("INSERT INTO ColumnProperties (TableName, ColumnName, PropertyName, "
                           "PropertyType, PropertyValue) VALUES (?1, ?2, ?3, ?4, ?5)")
          : QStringLiteral("UPDATE ColumnProperties SET PropertyType = ?4, PropertyValue = ?5 "
                           "WHERE rowid = ?6"),
      kSource);
  BindPropertyRow(write, table.name, field, property);
  write.BindInt64(4, propertyType);
  write.BindText(5, PropertyText(propertyType, value));
  if (!rows.empty()) write.BindInt64(6, rows.front());
  write.Run();
  if (rows.size() > 1) {
    Statement remove = table.db->PrepareRaw(
        QStringLiteral("DELETE FROM ColumnProperties WHERE rowid = ?1"), kSource);
    for (size_t i = 1; i < rows.size(); ++i) {
      remove.Reset();
      remove.BindInt64(1, rows[i]);
      remove.Run();
    }
  }
}

void AppendTableDef(TableDef& table) {
  if (table.stored) return;
  QStringList columns;
  for (const FieldDef& field : table.fields) {
    QString column = QuotedName(field.name) + u' ' + DeclaredType(field.type);
    const QString literal = DefaultLiteral(field.type, field.defaultValue);
    if (!literal.isEmpty()) column += QStringLiteral(" DEFAULT ") + literal;
    columns << column;
  }
  table.db->ExecuteRaw(
      QStringLiteral("CREATE TABLE %1 (%2)").arg(QuotedName(table.storedName), columns.join(u", ")),
      kSource);
  table.stored = true;
}

TableDef EnsureTable(const DatabaseHandle& db, const QString& name,
                     const std::vector<FieldDef>& columns) {
  bool created = false;
  TableDef table = EnsureTableDef(db, name, created);
  for (const FieldDef& column : columns) {
    EnsureField(table, column.name, column.type, column.defaultValue);
  }
  if (created) AppendTableDef(table);
  return table;
}

QVariant FieldProperty(const DatabaseHandle& db, const QString& table, const QString& field,
                       const QString& property) {
  Statement read = db->PrepareRaw(
      QStringLiteral("SELECT PropertyType, PropertyValue FROM ColumnProperties WHERE %1 ORDER BY "
                     "rowid LIMIT 1")
          .arg(kPropertyRow),
      kSource);
  BindPropertyRow(read, table, field, property);
  if (!read.Step()) return {};
  const QString text = read.Text(1);
  if (read.Int64(0) != dbBoolean) return text;
  return text.compare(u"True", Qt::CaseInsensitive) == 0 || text == u"1";
}

}  // namespace DatabaseFunctions
