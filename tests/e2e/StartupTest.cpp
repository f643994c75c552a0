// The program as a user meets it: started from its folder, a second copy refused, a check-only
// start, and bad files and faulty folders answered with a message while the data stays as it
// was.
#include <gtest/gtest.h>

#include <QStandardPaths>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

using e2e::Checksum;
using e2e::LaunchOptions;
using e2e::Sandbox;

const QString kRunning = "It's Running\tThere is already an instance of the ReelKeeper running.";

QString Shell(const QString& file, const QString& sql) {
  return testsupport::Sqlite3Shell(file, sql);
}

QString Columns(const QString& file, const QString& table) {
  return Shell(
      file,
      QStringLiteral("SELECT group_concat(name, ',') FROM pragma_table_info('%1')").arg(table));
}

// What the stock sqlite3 shell finds in a file the program made.
void ExpectProgramsFile(const QString& file) {
  EXPECT_EQ(Shell(file, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Shell(file, "PRAGMA application_id"), QString::number(0x52654B70));
  EXPECT_EQ(Columns(file, "Inventory"),
            "DVDTitle,Category,Starring,Rated,Status,Name,Date,DueDate,Description,BarCode");
  EXPECT_EQ(Columns(file, "Customers"), "Name,Address,City,State,Zip,Phone,Fax,Cell,Notes");
  EXPECT_EQ(Columns(file, "Settings"), "SettingName,SettingType,SettingValue");
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
  EXPECT_EQ(sandbox.Messages(), QStringList{kRunning});
  EXPECT_TRUE(first->IsRunning());
  EXPECT_EQ(Checksum(sandbox.DatabaseFile()), before);
}

// An error inside the event loop never reaches Qt: closing the window while the disk is full
// (the window's layout cannot be written back) ends in the "Error" message and exit status 1,
// and the file is as it was.
TEST(StartupTest, ALayoutThatCannotBeWrittenAtExitIsLoggedAndTheProgramEndsNormally) {
  if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
      QStandardPaths::findExecutable("xdotool").isEmpty()) {
    GTEST_SKIP() << "needs xvfb-run and xdotool";
  }
  Sandbox sandbox;
  {
    auto first = sandbox.Start();
    ASSERT_TRUE(first->WaitForShown()) << qPrintable(first->Stderr());
  }
  const QByteArray before = Checksum(sandbox.DatabaseFile());
  LaunchOptions options;
  options.throughXvfb = true;
  options.script = QStringLiteral(R"(
    ( trap '' XFSZ; ulimit -f 4; exec "$RK" ) 2> program.err & pid=$!
    for i in $(seq 600); do grep -q "window shown" program.err && break; sleep 0.1; done
    grep -q "window shown" program.err || exit 90
    wid=$(xdotool search --sync --name '^Reel Keeper$' | head -1)
    xdotool windowfocus --sync "$wid" key Escape
    wait $pid; exit $?
  )");
  auto run = sandbox.Start(options);
  EXPECT_EQ(run->WaitForExit(240), 0)
      << qPrintable(e2e::ReadFile(sandbox.Path("work/program.err")));
  EXPECT_TRUE(sandbox.Messages().isEmpty()) << qPrintable(sandbox.Messages().join('|'));
  EXPECT_TRUE(e2e::ReadFile(sandbox.Path("work/ErrorLog"))
                  .startsWith("The window layout could not be saved."));
  EXPECT_EQ(Checksum(sandbox.DatabaseFile()), before);
  EXPECT_EQ(Shell(sandbox.DatabaseFile(), "PRAGMA integrity_check"), "ok");
}

// Nothing is overdue in a new file, so a check-only start (the word in any letter case) ends
// without a window. (Which argument texts select it is tested in-process.)
TEST(StartupTest, CheckOnlyWithNothingOverdueEndsWithoutAWindowAndUnloads) {
  Sandbox sandbox;
  LaunchOptions options;
  options.arguments = QStringList{"CheckOnly"};
  auto program = sandbox.Start(options);
  EXPECT_EQ(program->WaitForExit(), 0) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  // The window was unloaded all the same: its layout went back into the file, and the lock was
  // given back.
  EXPECT_NE(Shell(sandbox.DatabaseFile(), "SELECT count(*) FROM Settings"), "0");
  auto next = sandbox.Start();
  EXPECT_TRUE(next->WaitForShown()) << qPrintable(next->Stderr());
  EXPECT_TRUE(sandbox.Messages().isEmpty()) << qPrintable(sandbox.Messages().join('|'));
  ExpectProgramsFile(sandbox.DatabaseFile());
}

TEST(StartupTest, MissingScannerLibraryStopsStartUpWithItsName) {
  Sandbox sandbox(/*withScannerLibrary=*/false);
  auto program = sandbox.Start();
  EXPECT_EQ(program->WaitForExit(), 1);
  EXPECT_FALSE(program->WasShown());
  const QStringList messages = sandbox.Messages();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].startsWith("Error\tError Number: 2\\n")) << qPrintable(messages[0]);
  EXPECT_TRUE(messages[0].contains(sandbox.Path("prog/libreelkeeper_scanner.so")));
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
  e2e::WriteFile(file, bytes);
  const QByteArray before = Checksum(file);
  auto program = sandbox.Start();
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  const QStringList messages = sandbox.Messages();
  ASSERT_EQ(messages.size(), 1) << qPrintable(messages.join('|'));
  EXPECT_TRUE(messages[0].startsWith("Error\tError Number: ")) << qPrintable(messages[0]);
  EXPECT_TRUE(messages[0].contains(file)) << qPrintable(messages[0]);
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

TEST(StartupTest, ReadOnlyFileIsReportedAndLeftAsItWas) {
  Sandbox sandbox;
  {
    auto first = sandbox.Start();
    ASSERT_TRUE(first->WaitForShown()) << qPrintable(first->Stderr());
  }
  sandbox.GiveToNobody(/*programFolderToo=*/true);
  e2e::Chmod(sandbox.DatabaseFile(), 0644);  // root's file, nobody may only read it
  const QByteArray before = Checksum(sandbox.DatabaseFile());
  LaunchOptions options;
  options.asNobody = true;
  auto program = sandbox.Start(options);
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  const QStringList messages = sandbox.Messages();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains("cannot be written")) << qPrintable(messages[0]);
  EXPECT_TRUE(messages[0].contains(sandbox.DatabaseFile())) << qPrintable(messages[0]);
  EXPECT_EQ(Checksum(sandbox.DatabaseFile()), before);
}

// A full disk while the start must write (a new file, or an older file that gains a column):
// a message, and nothing half-made or changed left behind.
class FullDiskTest : public ::testing::TestWithParam<bool> {};

TEST_P(FullDiskTest, StartStopsWithAMessageAndNothingIsDamaged) {
  const bool existing = GetParam();
  Sandbox sandbox;
  if (existing) {
    auto first = sandbox.Start();
    ASSERT_TRUE(first->WaitForShown()) << qPrintable(first->Stderr());
    first->Kill();
    Shell(sandbox.DatabaseFile(), "ALTER TABLE Inventory DROP COLUMN BarCode");
  }
  const QByteArray before = Checksum(sandbox.DatabaseFile());
  LaunchOptions options;
  options.fileSizeLimit = 4096;
  auto program = sandbox.Start(options);
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  const QStringList messages = sandbox.Messages();
  ASSERT_EQ(messages.size(), 1);
  EXPECT_TRUE(messages[0].contains(sandbox.DatabaseFile())) << qPrintable(messages[0]);
  // The operating system's reason is part of the message, not only the engine's "disk I/O error".
  EXPECT_TRUE(messages[0].contains("File too large")) << qPrintable(messages[0]);
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
