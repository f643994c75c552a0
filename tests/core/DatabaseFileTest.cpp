// The database file: made new, recognised as the program's, extended when older, refused when
// it belongs to something else, and readable by the stock sqlite3 shell throughout.
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <functional>
#include <map>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "data/Recordset.h"
#include "inventory/InventoryRecords.h"
#include "inventory/InventoryWrites.h"
#include "settings/SettingsManager.h"
#include "upkeep/DatabaseMaintenance.h"

using testsupport::Checksum;
using testsupport::Sqlite3Shell;
using testsupport::TempDatabase;

namespace {

const QString kOwnMark = QString::number(DatabaseFunctions::kApplicationId);
// The three tables' columns in their stored order.
const QString kTables =
    "Customers:Name,Address,City,State,Zip,Phone,Fax,Cell,Notes,Email\nInventory:DVDTitle,Category,"
    "Starring,Rated,Status,Name,Date,DueDate,Description,BarCode\nSettings:SettingName,"
    "SettingType,SettingValue";

// The program's three tables with their columns, as the stock shell reports them.
QString TablesOf(const QString& path) {
  return Sqlite3Shell(path,
                      "SELECT column1 || ':' || (SELECT group_concat(name, ',') FROM "
                      "pragma_table_info(column1)) FROM (VALUES ('Customers'), ('Inventory'), "
                      "('Settings'))");
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

// Every entry of a folder with its bytes' checksum (and a link's target): what "left untouched"
// means. A "-shm" file is SQLite's shared index of a write-ahead log, rebuilt by every reader.
std::map<QString, QString> FolderState(const QString& folder) {
  std::map<QString, QString> state;
  for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::AllEntries | QDir::System |
                                                           QDir::Hidden | QDir::NoDotAndDotDot)) {
    if (entry.fileName().endsWith("-shm")) continue;
    state[entry.fileName()] =
        QString::fromLatin1(Checksum(entry.filePath())) + u'>' + entry.symLinkTarget();
  }
  return state;
}

TEST(DatabaseFile, NewFileHasTheThreeTablesAndIsAPlainSqliteFile) {
  TempDatabase db;
  DatabaseMaintenance::Close(db);
  const QString path = db.Path();
  EXPECT_EQ(Sqlite3Shell(path, "PRAGMA integrity_check; PRAGMA application_id"), "ok\n" + kOwnMark);
  EXPECT_EQ(TablesOf(path), kTables);
  EXPECT_EQ(Sqlite3Shell(path,
                         "SELECT PropertyValue FROM ColumnProperties WHERE TableName='Inventory' "
                         "AND ColumnName='Date' AND PropertyName='VisibleName'"),
            "Loaned Date");
  // No temporary file is left beside it.
  EXPECT_EQ(QDir(db.Folder()).entryList(QDir::Files), QStringList{"ReelKeeper.mdb"});

  // A second start changes nothing.
  const QString schema = Sqlite3Shell(path, ".schema");
  const QString properties = Sqlite3Shell(path, "SELECT * FROM ColumnProperties ORDER BY 1, 2, 3");
  DatabaseMaintenance::Open(db, path);
  DatabaseMaintenance::Close(db);
  EXPECT_EQ(Sqlite3Shell(path, ".schema"), schema);
  EXPECT_EQ(Sqlite3Shell(path, "SELECT * FROM ColumnProperties ORDER BY 1, 2, 3"), properties);
}

TEST(DatabaseFile, OlderFileGainsColumnsAndKeepsItsRows) {
  QTemporaryDir dir;
  const QString path = dir.filePath("ReelKeeper.mdb");
  // A file from before bar codes and descriptions, written by another tool (application id 0)
  // with names in other letter case, and list properties someone changed.
  Sqlite3Shell(
      path,
      "CREATE TABLE inventory (dvdtitle TEXT COLLATE NOCASE, Category TEXT COLLATE NOCASE, "
      "Starring TEXT, Rated TEXT, Status INTEGER, Name TEXT, Date DATE, DueDate DATE);"
      "INSERT INTO inventory VALUES ('Alien', 'Horror', 'Sigourney Weaver', 'R', 1, 'Ann', "
      "'2026-11-01', '2026-11-15');"
      "CREATE TABLE ColumnProperties (TableName TEXT NOT NULL, ColumnName TEXT NOT NULL, "
      "PropertyName TEXT NOT NULL, PropertyType INTEGER, PropertyValue TEXT, "
      "PRIMARY KEY (TableName, ColumnName, PropertyName));"
      "INSERT INTO ColumnProperties VALUES ('Inventory', 'Name', 'ShowInList', 1, 'True'), "
      "('INVENTORY', 'DVDTITLE', 'visiblename', 10, 'Titel');");
  Collection collection;
  DatabaseMaintenance::Open(collection, path);
  const DatabaseHandle& db = collection.Db();

  RecordsetPtr records = OpenRecords("Select Inventory.* From Inventory", db);
  FetchAllRecords(records);
  EXPECT_EQ(records->RecordCount(), 1);
  // SQLite hands rows that predate a column (BarCode) the column's default.
  EXPECT_EQ(QStringList({records->Text("DVDTitle"), records->Text("Starring"),
                         QString::number(records->Long("Status")),
                         records->Date("DueDate").date().toString(Qt::ISODate),
                         records->Text("BarCode")}),
            QStringList({"Alien", "Sigourney Weaver", "1", "2026-11-15", ""}));
  EXPECT_FALSE(records->IsNull("BarCode"));
  CloseRecords(records);
  // Properties are found and rewritten whatever the letter case of the names on either side.
  EXPECT_EQ(
      QVariantList({DatabaseFunctions::FieldProperty(db, "Inventory", "Name", "ShowInList"),
                    DatabaseFunctions::FieldProperty(db, "inventory", "dvdtitle", "VisibleName")}),
      QVariantList({false, "Title"}));
  // The list finds its columns under the program's own names.
  QStringList keys;
  for (const auto& column : InventoryFunctions::ListColumns(collection)) keys << column.key;
  EXPECT_EQ(keys, QStringList({"DVDTitle", "Category", "Starring", "Rated", "Status", "DueDate"}));
  DatabaseMaintenance::Close(collection);

  EXPECT_EQ(TablesOf(path), QString(kTables).replace("Inventory:DVDTitle", "Inventory:dvdtitle"));
  // One Inventory, and one row per column and property: ten columns, two properties each.
  EXPECT_EQ(Sqlite3Shell(path,
                         "PRAGMA integrity_check; SELECT count(*) FROM sqlite_master WHERE name "
                         "LIKE 'inventory'; SELECT count(*), count(DISTINCT lower(TableName || '.' "
                         "|| ColumnName || '.' || PropertyName)) FROM ColumnProperties"),
            "ok\n1\n20|20");
}

// An empty file holds nothing to lose and is made anew; another tool's SQLite file is used when
// it holds no tables or some of the program's.
TEST(DatabaseFile, EmptyFileOrToolMadeFileWithTheProgramsTablesIsUsed) {
  for (const char* sql : {"", "PRAGMA user_version = 7;",
                          "CREATE TABLE Notes (body TEXT); CREATE TABLE customers (Name TEXT);"}) {
    QTemporaryDir dir;
    const QString path = dir.filePath("ReelKeeper.mdb");
    WriteFile(path, QByteArray());
    Sqlite3Shell(path, QString::fromUtf8(sql));
    ASSERT_EQ(QFileInfo(path).size() > 0, *sql != 0);
    Collection collection;
    DatabaseMaintenance::Open(collection, path);
    DatabaseMaintenance::Close(collection);
    EXPECT_EQ(TablesOf(path), kTables) << sql;
  }
}

auto Bytes(const QByteArray& bytes) {
  return [bytes](const QString& path) { WriteFile(path, bytes); };
}

auto Shell(const QString& sql) {
  return [sql](const QString& path) { Sqlite3Shell(path, sql); };
}

// Another program's database in write-ahead-log mode, whose last writes are still in the log:
// closing a connection to it the usual way would fold them into the file.
void ForeignWalFile(const QString& path) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
  sqlite3_exec(db, "PRAGMA journal_mode=WAL; CREATE TABLE Foo (a); INSERT INTO Foo VALUES (1)",
               nullptr, nullptr, nullptr);
  sqlite3_db_config(db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  sqlite3_close(db);
  ASSERT_GT(QFileInfo(path + "-wal").size(), 0);
}

// The program's own file with the page that lists its tables overwritten.
void DamagedOwnFile(const QString& path) {
  Sqlite3Shell(path, QStringLiteral("PRAGMA application_id = %1; CREATE TABLE Inventory (a);"
                                    "CREATE TABLE Customers (b);")
                         .arg(kOwnMark));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.seek(100));
  file.write(QByteArray(3996, '\xA5'));
}

void MakeLink(const QString& target, const QString& link) {
  ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()),
            0);
}

void LinkToAMissingDrive(const QString& path) {
  MakeLink(QFileInfo(path).absolutePath() + "/unmounted/ReelKeeper.mdb", path);
}

void CircleOfLinks(const QString& path) {
  const QString other = QFileInfo(path).absolutePath() + "/Other.mdb";
  MakeLink(other, path);
  MakeLink(path, other);
}

const QByteArray kOtherEngine =
    QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2000, '\0');
const QByteArray kOtherMark = QByteArray("SQLite format 3\0", 16) + QByteArray(4080, '\x5a');
const QString kOwnView = QStringLiteral(
                             "PRAGMA application_id = %1; CREATE TABLE t (a); CREATE "
                             "VIEW Inventory AS SELECT a AS DVDTitle FROM t;")
                             .arg(kOwnMark);

// Files the program must not use. Each is refused before anything is written to it, with a
// message that names it, and the folder holds exactly what it held before.
TEST(DatabaseFile, FilesNotTheProgramsAreRefusedUntouchedWithTheirNameInTheMessage) {
  struct RefusedFile {
    const char* name;
    std::function<void(const QString& path)> make;
    int primaryCode;
    QStringList says;  // besides the file's name; "{dir}" stands for its folder
  };
  const RefusedFile files[] = {
      {"TextFile", Bytes("Title,Category\nAlien,Horror\n"), SQLITE_NOTADB, {}},
      {"OtherEngine", Bytes(kOtherEngine), SQLITE_NOTADB, {}},
      {"OtherMark", Bytes(kOtherMark), SQLITE_NOTADB, {"another program"}},
      {"OtherProgramsSqlite",
       Shell("PRAGMA application_id = 1234; CREATE TABLE notes (body TEXT);"),
       SQLITE_NOTADB,
       {"another program"}},
      {"OtherProgramsTables",
       Shell("CREATE TABLE Foo (a); CREATE TABLE Bar (b);"),
       SQLITE_NOTADB,
       {"another program's tables (Foo, Bar)"}},
      {"OtherProgramsLog", ForeignWalFile, SQLITE_NOTADB, {"(Foo)"}},
      {"InventoryIsAView",
       Shell(kOwnView),
       SQLITE_NOTADB,
       {"Inventory as a view", "SQLite says: cannot modify Inventory because it is a view."}},
      {"SettingsWithoutRowid",
       Shell("CREATE TABLE Settings (SettingName TEXT PRIMARY KEY) WITHOUT ROWID;"),
       SQLITE_NOTADB,
       {"Settings as a table without row ids", "SQLite says: no such column: rowid"}},
      // Settings sorted by a collation that only the program which made the file knows.
      {"UnknownCollation",
       Shell("PRAGMA writable_schema = ON; CREATE TABLE Settings (SettingName TEXT);"
             "UPDATE sqlite_master SET sql = 'CREATE TABLE Settings (SettingName "
             "TEXT COLLATE Reverse)';"),
       SQLITE_NOTADB,
       {"collation", "SQLite says: no such collation sequence: Reverse"}},
      {"DamagedOwnFile", DamagedOwnFile, SQLITE_CORRUPT, {"damaged"}},
      {"LinkToAMissingDrive",
       LinkToAMissingDrive,
       SQLITE_NOTADB,
       {"link to '{dir}/unmounted/ReelKeeper.mdb'", "mounted"}},
      {"CircleOfLinks", CircleOfLinks, SQLITE_NOTADB, {"link to '{dir}/Other.mdb'", "circle"}}};
  for (const RefusedFile& file : files) {
    SCOPED_TRACE(file.name);
    QTemporaryDir dir;
    const QString path = dir.filePath("ReelKeeper.mdb");
    file.make(path);
    const auto before = FolderState(dir.path());
    Collection collection;
    try {
      DatabaseMaintenance::Open(collection, path);
      ADD_FAILURE() << "opened a file that is not the program's";
    } catch (const DatabaseError& error) {
      EXPECT_EQ(error.Number() & 0xFF, file.primaryCode) << error.Number();
      const QString text = error.Description();
      EXPECT_TRUE(text.contains(QStringLiteral("'%1'").arg(path))) << qPrintable(text);
      for (QString part : file.says) {
        part.replace("{dir}", dir.path());
        EXPECT_TRUE(text.contains(part)) << qPrintable(text) << "\nlacks " << qPrintable(part);
      }
    }
    EXPECT_FALSE(collection.Db());
    EXPECT_EQ(collection.Path(), path);
    EXPECT_EQ(FolderState(dir.path()), before);
  }
}

// The set-up makes the tables of a new file before it takes its name.
TEST(DatabaseFile, NewFileGetsItsTablesBeforeItsName) {
  QTemporaryDir dir;
  const QString path = dir.filePath("ReelKeeper.mdb");
  int setUps = 0;
  const auto setUp = [&](const DatabaseHandle& fresh) {
    ++setUps;
    EXPECT_FALSE(QFileInfo::exists(path));
    DatabaseMaintenance::InitTablesOn(fresh);
    fresh->Execute("INSERT INTO Settings (SettingName, SettingValue) VALUES ('Where', 'new')");
  };
  DatabaseFunctions::OpenOrCreateDatabase(path, setUp)->Close();
  EXPECT_EQ(setUps, 1);
  EXPECT_EQ(TablesOf(path), kTables);
  EXPECT_EQ(Sqlite3Shell(path, "SELECT SettingValue FROM Settings"), "new");

  // A set-up that fails leaves nothing behind, under either name.
  QTemporaryDir other;
  EXPECT_THROW(DatabaseFunctions::OpenOrCreateDatabase(
                   other.filePath("ReelKeeper.mdb"),
                   [](const DatabaseHandle&) {
                     throw DatabaseError(SQLITE_FULL, "database or disk is full", {});
                   }),
               DatabaseError);
  EXPECT_TRUE(QDir(other.path()).isEmpty());
}

TEST(DatabaseFile, OpeningRemovesTheCopyAnInterruptedCleanupLeft) {
  TempDatabase db;
  DatabaseMaintenance::Close(db);
  WriteFile(db.Path() + "1", "half a copy");
  WriteFile(db.Path() + "1-journal", "its journal");
  DatabaseMaintenance::Open(db, db.Path());
  EXPECT_EQ(QDir(db.Folder()).entryList(QDir::Files), QStringList{"ReelKeeper.mdb"});

  // With no database beside it, such a copy may be all there is: it stays.
  QTemporaryDir dir;
  WriteFile(dir.filePath("ReelKeeper.mdb1"), "the only copy");
  DatabaseMaintenance::Open(db, dir.filePath("ReelKeeper.mdb"));
  DatabaseMaintenance::Close(db);
  EXPECT_TRUE(QFileInfo::exists(dir.filePath("ReelKeeper.mdb1")));
}

QByteArray Bytes(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

// A journal that belongs to another database, beside the collection: SQLite would play it into
// the file. The file is then found damaged or not the program's, and both are put back as they
// were, byte for byte, with copies beside them that the message names.
TEST(DatabaseFile, ForeignJournalIsPutBackWithTheFileExactlyAsTheyWere) {
  TempDatabase db;
  db.AddDvd("Casablanca");
  DatabaseMaintenance::Close(db);
  // Another database in the middle of a large change: its journal is on disk, synced.
  const QString other = db.Folder() + "/other.db";
  sqlite3* writer = nullptr;
  ASSERT_EQ(sqlite3_open(other.toUtf8().constData(), &writer), SQLITE_OK);
  const auto exec = [&](const char* sql) {
    ASSERT_EQ(sqlite3_exec(writer, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql;
  };
  exec(
      "PRAGMA page_size=1024; CREATE TABLE other(x); WITH RECURSIVE n(i) AS (SELECT 1 UNION "
      "ALL SELECT i + 1 FROM n WHERE i < 300) INSERT INTO other SELECT randomblob(600) FROM n");
  exec("PRAGMA cache_size=2; BEGIN; UPDATE other SET x = randomblob(600)");
  ASSERT_TRUE(QFile::copy(other + "-journal", db.Path() + "-journal"));
  exec("ROLLBACK");
  sqlite3_close(writer);
  const QByteArray file = Bytes(db.Path());
  const QByteArray journal = Bytes(db.Path() + "-journal");
  ASSERT_GT(journal.size(), 4096);

  try {
    DatabaseMaintenance::Open(db, db.Path());
    ADD_FAILURE() << "a file with another database's journal played in was used";
  } catch (const DatabaseError& error) {
    EXPECT_TRUE(error.Description().contains(db.Path() + "-journal.kept")) << error.what();
  }
  EXPECT_TRUE(Bytes(db.Path()) == file);
  EXPECT_TRUE(Bytes(db.Path() + "-journal") == journal);
  EXPECT_TRUE(Bytes(db.Path() + ".kept") == file);
  EXPECT_TRUE(Bytes(db.Path() + "-journal.kept") == journal);
}

// Two collections open side by side share nothing, not even the numbers by which a view tells
// that its table has moved.
TEST(DatabaseFile, CollectionsSideBySideShareNothing) {
  TempDatabase first;
  TempDatabase second;
  InventoryFunctions::DVDRecord dvd;
  dvd.title = "Alien";
  ASSERT_EQ(InventoryFunctions::AddDVD(first, dvd), InventoryFunctions::DVDOutcome::Saved);
  SettingsManager::WriteSetting(second, "Where", "second");
  EXPECT_TRUE(InventoryFunctions::FindDVD(first, "Alien"));
  EXPECT_FALSE(InventoryFunctions::FindDVD(second, "Alien"));
  EXPECT_EQ(SettingsManager::ReadSetting(first, "Where", "none"), "none");
  const auto mark = InventoryFunctions::CurrentInventoryMark(first);
  EXPECT_NE(mark.connection, InventoryFunctions::CurrentInventoryMark(second).connection);

  // Opened again in place: the same object, the earlier connection closed, a new number.
  const DatabaseHandle earlier = first.Db();
  DatabaseMaintenance::Open(first, first.Path());
  EXPECT_FALSE(earlier->IsOpen());
  EXPECT_TRUE(InventoryFunctions::FindDVD(first, "Alien"));
  EXPECT_NE(InventoryFunctions::CurrentInventoryMark(first).connection, mark.connection);
}

TEST(DatabaseFile, TransactionRollsBackUnlessCommitted) {
  TempDatabase db;
  const QByteArray before = Checksum(db.Path());
  {
    Transaction transaction(db.Db());
    db.AddDvd("Gone");
  }
  // Nothing of it reaches the file, not even a new change counter in the header.
  EXPECT_EQ(Checksum(db.Path()), before);
  {
    Transaction outer(db.Db());
    db.AddDvd("Kept");
    {
      Transaction inner(db.Db());
      db.AddDvd("Gone too");
    }
    outer.Commit();
  }
  EXPECT_EQ(db.Column("SELECT DVDTitle FROM Inventory"), QStringList{"Kept"});
}

}  // namespace
