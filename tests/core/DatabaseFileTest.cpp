// The database file: made new, recognised as the program's, extended when older, refused when
// it belongs to something else, and readable by the stock sqlite3 shell throughout.
#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "data/Recordset.h"

using testsupport::Sqlite3Shell;
using testsupport::TempDatabase;

namespace {

QByteArray Checksum(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// The columns of a table in their stored order, as the stock shell reports them.
QString ColumnsOf(const QString& path, const QString& table) {
  return Sqlite3Shell(
      path,
      QStringLiteral("SELECT group_concat(name, ',') FROM pragma_table_info('%1')").arg(table));
}

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(bytes);
}

TEST(DatabaseFile, NewFileHasTheThreeTablesAndIsAPlainSqliteFile) {
  TempDatabase db;
  DatabaseFunctions::CloseDatabase();
  const QString path = db.Path();
  EXPECT_EQ(Sqlite3Shell(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
  EXPECT_EQ(Sqlite3Shell(path, QStringLiteral("PRAGMA application_id")),
            QString::number(DatabaseFunctions::kApplicationId));
  EXPECT_EQ(ColumnsOf(path, QStringLiteral("Inventory")),
            QStringLiteral(
                "DVDTitle,Category,Starring,Rated,Status,Name,Date,DueDate,Description,BarCode"));
  EXPECT_EQ(ColumnsOf(path, QStringLiteral("Customers")),
            QStringLiteral("Name,Address,City,State,Zip,Phone,Fax,Cell,Notes"));
  EXPECT_EQ(ColumnsOf(path, QStringLiteral("Settings")),
            QStringLiteral("SettingName,SettingType,SettingValue"));
  EXPECT_EQ(Sqlite3Shell(
                path, QStringLiteral(
                          "SELECT PropertyValue FROM ColumnProperties WHERE TableName='Inventory' "
                          "AND ColumnName='Date' AND PropertyName='VisibleName'")),
            QStringLiteral("Loaned Date"));
  // No temporary file is left beside it.
  EXPECT_EQ(QDir(db.Folder()).entryList(QDir::Files),
            QStringList{QStringLiteral("ReelKeeper.mdb")});

  // A second start changes nothing.
  const QString schema = Sqlite3Shell(path, QStringLiteral(".schema"));
  const QString properties =
      Sqlite3Shell(path, QStringLiteral("SELECT * FROM ColumnProperties ORDER BY 1, 2, 3"));
  DatabaseFunctions::OpenSharedDatabase(path);
  TempDatabase::InitAllTables();
  DatabaseFunctions::CloseDatabase();
  EXPECT_EQ(Sqlite3Shell(path, QStringLiteral(".schema")), schema);
  EXPECT_EQ(Sqlite3Shell(path, QStringLiteral("SELECT * FROM ColumnProperties ORDER BY 1, 2, 3")),
            properties);
}

TEST(DatabaseFile, OlderFileGainsColumnsAndKeepsItsRows) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  // A file from before bar codes and descriptions, written by another tool (application id 0),
  // with the table name in other letter case and a list setting someone changed.
  Sqlite3Shell(
      path,
      QStringLiteral(
          "CREATE TABLE inventory (DVDTitle TEXT COLLATE NOCASE, Category TEXT COLLATE NOCASE, "
          "Starring TEXT, Rated TEXT, Status INTEGER, Name TEXT, Date DATE, DueDate DATE);"
          "INSERT INTO inventory VALUES ('Alien', 'Horror', 'Sigourney Weaver', 'R', 1, 'Ann', "
          "'2026-11-01', '2026-11-15');"
          "CREATE TABLE ColumnProperties (TableName TEXT NOT NULL, ColumnName TEXT NOT NULL, "
          "PropertyName TEXT NOT NULL, PropertyType INTEGER, PropertyValue TEXT, "
          "PRIMARY KEY (TableName, ColumnName, PropertyName));"
          "INSERT INTO ColumnProperties VALUES ('Inventory', 'Name', 'ShowInList', 1, 'True');"));
  DatabaseFunctions::OpenSharedDatabase(path);
  TempDatabase::InitAllTables();

  RecordsetPtr records = OpenRecords(QStringLiteral("Select Inventory.* From Inventory"));
  FetchAllRecords(records);
  EXPECT_EQ(records->RecordCount(), 1);
  EXPECT_EQ(records->Text(QStringLiteral("DVDTitle")), QStringLiteral("Alien"));
  EXPECT_EQ(records->Text(QStringLiteral("Starring")), QStringLiteral("Sigourney Weaver"));
  EXPECT_EQ(records->Long(QStringLiteral("Status")), 1);
  EXPECT_EQ(records->Date(QStringLiteral("DueDate")).date(), QDate(2026, 11, 15));
  // SQLite hands rows that predate a column the column's default.
  EXPECT_EQ(records->Text(QStringLiteral("BarCode")), QString());
  EXPECT_FALSE(records->IsNull(QStringLiteral("BarCode")));
  CloseRecords(records);
  EXPECT_EQ(DatabaseFunctions::FieldProperty(DatabaseFunctions::GetDatabase(),
                                             QStringLiteral("Inventory"), QStringLiteral("Name"),
                                             QStringLiteral("ShowInList")),
            QVariant(false));
  DatabaseFunctions::CloseDatabase();

  EXPECT_EQ(Sqlite3Shell(path, QStringLiteral("PRAGMA integrity_check")), QStringLiteral("ok"));
  EXPECT_EQ(ColumnsOf(path, QStringLiteral("Inventory")),
            QStringLiteral(
                "DVDTitle,Category,Starring,Rated,Status,Name,Date,DueDate,Description,BarCode"));
  EXPECT_EQ(
      Sqlite3Shell(
          path, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE name LIKE 'inventory'")),
      QStringLiteral("1"));
}

struct ForeignFile {
  const char* name;
  QByteArray contents;  // empty: made by the sqlite3 shell with the SQL in `sql`
  const char* sql;
};

class ForeignFileTest : public ::testing::TestWithParam<ForeignFile> {};

TEST_P(ForeignFileTest, IsRefusedUntouchedWithItsNameInTheMessage) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  if (GetParam().contents.isEmpty()) {
    Sqlite3Shell(path, QString::fromUtf8(GetParam().sql));
  } else {
    WriteFile(path, GetParam().contents);
  }
  const QByteArray before = Checksum(path);
  try {
    DatabaseFunctions::OpenSharedDatabase(path);
    ADD_FAILURE() << "opened a file that is not the program's";
  } catch (const DatabaseError& error) {
    EXPECT_TRUE(error.Description().contains(path)) << qPrintable(error.Description());
  }
  EXPECT_FALSE(DatabaseFunctions::IsDatabaseOpen());
  EXPECT_EQ(Checksum(path), before);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("ReelKeeper.mdb")});
}

QByteArray RandomBytes() {
  QByteArray bytes(8192, '\0');
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 7919 + 13) % 251);
  return bytes;
}

QByteArray DamagedHeader() {
  QByteArray bytes("SQLite format 3\0", 16);
  bytes += QByteArray(4080, '\x5a');
  return bytes;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ForeignFileTest,
    ::testing::Values(ForeignFile{"RandomBytes", RandomBytes(), ""},
                      ForeignFile{"TextFile", QByteArray("Title,Category\nAlien,Horror\n"), ""},
                      ForeignFile{"OtherEngine",
                                  QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) +
                                      QByteArray(2000, '\0'),
                                  ""},
                      ForeignFile{"DamagedSqlite", DamagedHeader(), ""},
                      ForeignFile{"OtherProgramsSqlite", QByteArray(),
                                  "PRAGMA application_id = 1234; CREATE TABLE notes (body TEXT);"}),
    [](const ::testing::TestParamInfo<ForeignFile>& info) { return std::string(info.param.name); });

TEST(DatabaseFile, EmptyFileIsTreatedAsMissing) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ReelKeeper.mdb"));
  WriteFile(path, QByteArray());
  DatabaseFunctions::OpenSharedDatabase(path);
  TempDatabase::InitAllTables();
  DatabaseFunctions::CloseDatabase();
  EXPECT_EQ(
      Sqlite3Shell(path, QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'table'")),
      QStringLiteral("4"));
}

TEST(DatabaseFile, SharedHandleIsReusedForTheSamePath) {
  TempDatabase db;
  const DatabaseHandle first = DatabaseFunctions::GetDatabase();
  EXPECT_EQ(DatabaseFunctions::OpenSharedDatabase(db.Path()), first);
  EXPECT_EQ(DatabaseFunctions::OpenSharedDatabase(QString()), first);  // the last path
  EXPECT_EQ(DatabaseFunctions::GetDatabasePath(), db.Path());

  QTemporaryDir other;
  const DatabaseHandle second =
      DatabaseFunctions::OpenSharedDatabase(other.filePath(QStringLiteral("ReelKeeper.mdb")));
  EXPECT_NE(second, first);
  EXPECT_FALSE(first->IsOpen());  // the earlier file was closed
  DatabaseFunctions::CloseDatabase();
  EXPECT_FALSE(DatabaseFunctions::IsDatabaseOpen());
  EXPECT_FALSE(DatabaseFunctions::GetDatabase());
}

TEST(DatabaseFile, TransactionRollsBackUnlessCommitted) {
  TempDatabase db;
  {
    Transaction transaction(db.Db());
    db.AddDvd(QStringLiteral("Gone"));
  }
  {
    Transaction transaction(db.Db());
    db.AddDvd(QStringLiteral("Kept"));
    transaction.Commit();
  }
  EXPECT_EQ(db.Column(QStringLiteral("SELECT DVDTitle FROM Inventory")),
            QStringList{QStringLiteral("Kept")});
}

}  // namespace
