// The program as a user meets it: started from its folder, a second copy refused, and bad files
// and faulty folders answered with a message while the data stays as it was.
#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

using e2e::LaunchOptions;
using e2e::Sandbox;
using testsupport::Checksum;
using testsupport::Sqlite3Shell;

// What the stock sqlite3 shell finds in a file the program made. (Which columns each table has
// is the data engine's to test; the Inventory's show that an older file was brought up to date.)
void ExpectProgramsFile(const QString& file) {
  EXPECT_EQ(Sqlite3Shell(file,
                         "PRAGMA integrity_check; PRAGMA application_id;"
                         "SELECT group_concat(name) FROM (SELECT name FROM sqlite_master "
                         "WHERE type = 'table' ORDER BY name);"
                         "SELECT group_concat(name) FROM pragma_table_info('Inventory');"),
            QStringLiteral("ok\n%1\nColumnProperties,Customers,Inventory,Settings\n"
                           "DVDTitle,Category,Starring,Rated,Status,Name,Date,DueDate,Description,"
                           "BarCode")
                .arg(0x52654B70));
}

TEST(StartupTest, FirstStartMakesTheFileSecondCopyIsRefusedFirstKeepsRunning) {
  Sandbox sandbox;
  auto first = sandbox.Start();
  ASSERT_TRUE(first->WaitForShown()) << qPrintable(first->Stderr());
  ExpectProgramsFile(sandbox.DatabaseFile());
  EXPECT_TRUE(sandbox.StrayFiles().isEmpty()) << qPrintable(sandbox.StrayFiles().join(' '));
  const QByteArray before = Checksum(sandbox.DatabaseFile());

  auto second = sandbox.Start();
  EXPECT_EQ(second->WaitForExit(), 0);
  EXPECT_FALSE(second->WasShown());
  EXPECT_EQ(sandbox.Messages(),
            QStringList{"It's Running\tThere is already an instance of the ReelKeeper running."});
  EXPECT_TRUE(first->IsRunning());
  EXPECT_EQ(Checksum(sandbox.DatabaseFile()), before);
}

TEST(StartupTest, MissingScannerLibraryStopsStartUpWithItsName) {
  Sandbox sandbox(/*withScannerLibrary=*/false);
  auto program = sandbox.Start();
  EXPECT_EQ(program->WaitForExit(), 1);
  EXPECT_FALSE(program->WasShown());
  sandbox.ExpectOneMessage(
      {"Error\tError Number: 2\\n", sandbox.Path("prog/libreelkeeper_scanner.so")});
  // The scanner comes first: the database was never touched.
  EXPECT_FALSE(QFileInfo::exists(sandbox.DatabaseFile()));
}

// A file that is not one of the program's databases stops the start with the error message
// naming the file; the file is never written, replaced or recreated. (Which files are refused is
// the data engine's to test.)
TEST(StartupTest, ForeignFileStopsTheStartWithAMessageAndIsLeftAsItWas) {
  Sandbox sandbox;
  const QString file = sandbox.DatabaseFile();
  QByteArray bytes(64 * 1024, '\0');
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 7919 + 13) % 251);
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
  out.close();
  const QByteArray before = Checksum(file);
  auto program = sandbox.Start();
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  sandbox.ExpectOneMessage({"Error\tError Number: ", file});
  EXPECT_EQ(Checksum(file), before);
  EXPECT_TRUE(sandbox.StrayFiles().isEmpty()) << qPrintable(sandbox.StrayFiles().join(' '));
}

// An installed copy: the program folder belongs to root and the user may not write there, so
// the file goes to the user's data folder and the program folder stays as it was.
TEST(StartupTest, ReadOnlyProgramFolderPutsTheFileInTheUsersDataFolder) {
  Sandbox sandbox;
  sandbox.GiveToNobody(/*programFolderToo=*/false);
  LaunchOptions options;
  options.asNobody = true;
  auto program = sandbox.Start(options);
  ASSERT_TRUE(program->WaitForShown()) << qPrintable(program->Stderr());
  EXPECT_FALSE(QFileInfo::exists(sandbox.DatabaseFile()));
  EXPECT_TRUE(sandbox.StrayFiles().isEmpty());
  ExpectProgramsFile(sandbox.DataFolderFile());
}

// A full disk while the start must write (a new file, or an older file that gains a column):
// a message, and nothing half-made or changed left behind.
class FullDiskTest : public ::testing::TestWithParam<bool> {};

TEST_P(FullDiskTest, StartStopsWithAMessageAndNothingIsDamaged) {
  const bool existing = GetParam();
  Sandbox sandbox;
  if (existing) {
    sandbox.RunOnce();
    Sqlite3Shell(sandbox.DatabaseFile(), "ALTER TABLE Inventory DROP COLUMN BarCode");
  }
  const QByteArray before = Checksum(sandbox.DatabaseFile());
  LaunchOptions options;
  options.fileSizeLimit = 4096;
  auto program = sandbox.Start(options);
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  // The operating system's reason is part of the message, not only the engine's "disk I/O error".
  sandbox.ExpectOneMessage({sandbox.DatabaseFile(), "File too large"});
  EXPECT_EQ(Checksum(sandbox.DatabaseFile()), before);
  EXPECT_EQ(QFileInfo::exists(sandbox.DatabaseFile()), existing);
  EXPECT_TRUE(sandbox.StrayFiles().isEmpty()) << qPrintable(sandbox.StrayFiles().join(' '));
  if (existing) {
    // With room on the disk again, the next start brings the file up to date.
    auto next = sandbox.Start();
    ASSERT_TRUE(next->WaitForShown()) << qPrintable(next->Stderr());
    ExpectProgramsFile(sandbox.DatabaseFile());
  }
}

INSTANTIATE_TEST_SUITE_P(File, FullDiskTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OlderFile" : "NewFile"; });

}  // namespace
