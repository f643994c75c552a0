#include "data/DatabaseFunctions.h"

#include <sqlite3.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "app/DatabaseError.h"
#include "data/FileSystem.h"
#include "data/JetDialect.h"

namespace DatabaseFunctions {
namespace {

DatabaseHandle sharedDatabase;
QString lastPath;

const QString kSource = QStringLiteral("DatabaseFunctions");

QString Quoted(const QString& name) {
  return u'"' + QString(name).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString TextLiteral(const QString& text) {
  return u'\'' + QString(text).replace(u'\'', QStringLiteral("''")) + u'\'';
}

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

QString DefaultLiteral(short type, const QVariant& value) {
  if (!value.isValid() || value.isNull()) return {};
  switch (type) {
    case dbDate: {
      const QDateTime date =
          value.typeId() == QMetaType::QDate ? value.toDate().startOfDay() : value.toDateTime();
      return TextLiteral(JetDialect::DateTimeToStorage(date));
    }
    case dbLong:
      return QString::number(value.toLongLong());
    case dbBoolean:
      return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
      return TextLiteral(value.toString());
  }
}

QString PropertyText(short type, const QVariant& value) {
  if (type == dbBoolean) return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  return value.toString();
}

void EnsurePropertyTable(const DatabaseHandle& db) {
  db->Execute(
      QStringLiteral("CREATE TABLE IF NOT EXISTS ColumnProperties (TableName TEXT NOT NULL, "
                     "ColumnName TEXT NOT NULL, PropertyName TEXT NOT NULL, PropertyType INTEGER, "
                     "PropertyValue TEXT, PRIMARY KEY (TableName, ColumnName, PropertyName))"),
      kSource);
}

[[noreturn]] void Refuse(int number, const QString& path, const QString& why) {
  throw DatabaseError(number,
                      QStringLiteral("The file '%1' %2 It has been left untouched.").arg(path, why),
                      kSource);
}

// Tells the program's own files from anything else before SQLite writes a byte to it: another
// program's SQLite file, a file of an older engine, or random bytes are refused.
void CheckOwnFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    throw DatabaseError(
        EACCES, QStringLiteral("The file '%1' cannot be read: %2").arg(path, file.errorString()),
        kSource);
  }
  const QByteArray header = file.read(100);
  if (header.size() < 100 || !header.startsWith(QByteArray("SQLite format 3\0", 16))) {
    Refuse(SQLITE_NOTADB, path, QStringLiteral("is not a ReelKeeper database."));
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(header.constData());
  const quint32 applicationId = (quint32(bytes[68]) << 24) | (quint32(bytes[69]) << 16) |
                                (quint32(bytes[70]) << 8) | quint32(bytes[71]);
  if (applicationId != 0 && applicationId != quint32(kApplicationId)) {
    Refuse(SQLITE_NOTADB, path,
           QStringLiteral("belongs to another program (application id 0x%1), not to ReelKeeper.")
               .arg(applicationId, 8, 16, QLatin1Char('0')));
  }
}

DatabaseHandle OpenExisting(const QString& path) {
  CheckOwnFile(path);
  DatabaseHandle db = Database::Open(path);
  // Reading the schema makes SQLite look at the whole header and the first page now, so that a
  // damaged file is reported at once rather than in the middle of the first command.
  db->QueryNumber(QStringLiteral("SELECT count(*) FROM sqlite_master"), kSource);
  const QString folder = QFileInfo(path).absolutePath();
  if (db->IsReadOnly() || !FileSystem::CanWrite(path) || !FileSystem::CanWrite(folder)) {
    throw DatabaseError(
        EACCES,
        QStringLiteral("The database file '%1' cannot be written. Check that the file "
                       "and its folder may be written by you.")
            .arg(path),
        kSource);
  }
  return db;
}

DatabaseHandle CreateNew(const QString& path,
                         const std::function<void(const DatabaseHandle&)>& setUpNew) {
  const QString temporary = QStringLiteral("%1.new-%2").arg(path).arg(::getpid());
  FileSystem::RemoveIfExists(temporary);
  FileSystem::RemoveIfExists(temporary + QStringLiteral("-journal"));
  try {
    {
      DatabaseHandle db = Database::Create(temporary);
      db->Execute(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId), kSource);
      db->Execute(QStringLiteral("PRAGMA user_version = %1").arg(kSchemaVersion), kSource);
      EnsurePropertyTable(db);
      if (setUpNew) setUpNew(db);
      db->Close();
    }
    FileSystem::SyncFile(temporary);
    FileSystem::RenameReplacing(temporary, path);
  } catch (...) {
    FileSystem::RemoveIfExists(temporary);
    throw;
  }
  return OpenExisting(path);
}

}  // namespace

DatabaseHandle GetDatabase() { return sharedDatabase; }

void SetDatabase(DatabaseHandle db) {
  if (db == sharedDatabase) return;
  CloseDatabase();
  sharedDatabase = std::move(db);
}

bool IsDatabaseOpen() { return sharedDatabase && sharedDatabase->IsOpen(); }

void CloseDatabase() {
  if (sharedDatabase) {
    sharedDatabase->Close();
    sharedDatabase.reset();
  }
}

QString GetDatabasePath() { return lastPath; }

void SetDatabasePath(const QString& path) { lastPath = path; }

DatabaseHandle OpenSharedDatabase(const QString& path) {
  const QString target = path.isEmpty() ? GetDatabasePath() : path;
  if (target.isEmpty()) return {};
  SetDatabasePath(target);
  if (sharedDatabase) {
    if (sharedDatabase->IsOpen() && sharedDatabase->Name() == target) return sharedDatabase;
    CloseDatabase();
  }
  SetDatabase(OpenOrCreateDatabase(target));
  return sharedDatabase;
}

DatabaseHandle OpenOrCreateDatabase(const QString& path,
                                    const std::function<void(const DatabaseHandle&)>& setUpNew) {
  const QFileInfo info(path);
  // An empty file holds nothing to lose: it is what a crash during a first start could leave
  // with other programs, so it is treated as missing.
  if (info.exists() && info.size() > 0) return OpenExisting(path);
  if (info.exists() && !info.isFile()) Refuse(EISDIR, path, QStringLiteral("is not a file."));
  return CreateNew(path, setUpNew);
}

std::optional<TableDef> FindTableDef(const DatabaseHandle& db, const QString& name) {
  if (!db || !db->IsOpen()) {
    throw DatabaseError(SQLITE_MISUSE, QStringLiteral("The database is not open."), kSource);
  }
  // SQLite matches table names without regard to letter case, so a table "inventory" written
  // by another tool is the program's "Inventory"; creating a second one would fail.
  sqlite3_stmt* query = db->Prepare(
      QStringLiteral(
          "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
      kSource);
  const QByteArray utf8 = name.toUtf8();
  sqlite3_bind_text(query, 1, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(query);
  QString stored;
  if (rc == SQLITE_ROW)
    stored = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
  sqlite3_finalize(query);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) db->ThrowLastError(kSource);
  if (rc != SQLITE_ROW) return std::nullopt;

  TableDef table{db, name, stored, true, {}};
  sqlite3_stmt* columns =
      db->Prepare(QStringLiteral("PRAGMA table_info(%1)").arg(Quoted(stored)), kSource);
  int step;
  while ((step = sqlite3_step(columns)) == SQLITE_ROW) {
    FieldDef field;
    field.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns, 1)));
    field.type = TypeFromDeclared(
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(columns, 2))));
    table.fields.push_back(field);
  }
  sqlite3_finalize(columns);
  if (step != SQLITE_DONE) db->ThrowLastError(kSource);
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
    QString sql = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                      .arg(Quoted(table.storedName), Quoted(name), DeclaredType(type));
    const QString literal = DefaultLiteral(type, defaultValue);
    if (!literal.isEmpty()) sql += QStringLiteral(" DEFAULT ") + literal;
    table.db->Execute(sql, kSource);
  }
  table.fields.push_back(field);
  return field;
}

void EnsureFieldProperty(TableDef& table, const QString& field, const QString& property,
                         short propertyType, const QVariant& value) {
  EnsurePropertyTable(table.db);
  sqlite3_stmt* write = table.db->Prepare(
      QStringLiteral(
          "INSERT INTO ColumnProperties (TableName, ColumnName, PropertyName, PropertyType, "
          "PropertyValue) VALUES (?1, ?2, ?3, ?4, ?5) ON CONFLICT (TableName, ColumnName, "
          "PropertyName) DO UPDATE SET PropertyType = ?4, PropertyValue = ?5"),
      kSource);
  const QByteArray texts[] = {table.name.toUtf8(), field.toUtf8(), property.toUtf8(),
                              PropertyText(propertyType, value).toUtf8()};
  sqlite3_bind_text(write, 1, texts[0].constData(), int(texts[0].size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(write, 2, texts[1].constData(), int(texts[1].size()), SQLITE_TRANSIENT);
  sqlite3_bind_text(write, 3, texts[2].constData(), int(texts[2].size()), SQLITE_TRANSIENT);
  sqlite3_bind_int(write, 4, propertyType);
  sqlite3_bind_text(write, 5, texts[3].constData(), int(texts[3].size()), SQLITE_TRANSIENT);
  const int rc = sqlite3_step(write);
  sqlite3_finalize(write);
  if (rc != SQLITE_DONE) table.db->ThrowLastError(kSource);
}

void AppendTableDef(TableDef& table) {
  if (table.stored) return;
  QStringList columns;
  for (const FieldDef& field : table.fields) {
    QString column = Quoted(field.name) + u' ' + DeclaredType(field.type);
    const QString literal = DefaultLiteral(field.type, field.defaultValue);
    if (!literal.isEmpty()) column += QStringLiteral(" DEFAULT ") + literal;
    columns << column;
  }
  table.db->Execute(
      QStringLiteral("CREATE TABLE %1 (%2)").arg(Quoted(table.storedName), columns.join(u", ")),
      kSource);
  table.stored = true;
}

QVariant FieldProperty(const DatabaseHandle& db, const QString& table, const QString& field,
                       const QString& property) {
  sqlite3_stmt* read = db->Prepare(
      QStringLiteral(
          "SELECT PropertyType, PropertyValue FROM ColumnProperties WHERE TableName = ?1 "
          "AND ColumnName = ?2 AND PropertyName = ?3"),
      kSource);
  const QByteArray texts[] = {table.toUtf8(), field.toUtf8(), property.toUtf8()};
  for (int i = 0; i < 3; ++i) {
    sqlite3_bind_text(read, i + 1, texts[i].constData(), int(texts[i].size()), SQLITE_TRANSIENT);
  }
  QVariant result;
  const int rc = sqlite3_step(read);
  if (rc == SQLITE_ROW) {
    const int type = sqlite3_column_int(read, 0);
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(read, 1)));
    result = type == dbBoolean
                 ? QVariant(text.compare(u"True", Qt::CaseInsensitive) == 0 || text == u"1")
                 : QVariant(text);
  }
  sqlite3_finalize(read);
  if (rc != SQLITE_ROW && rc != SQLITE_DONE) db->ThrowLastError(kSource);
  return result;
}

}  // namespace DatabaseFunctions
