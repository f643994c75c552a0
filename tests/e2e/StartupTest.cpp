// The program as a user meets it: started from its folder, a second copy refused, a missing
// library, a full disk or files it may not write answered with a message while the data stays as
// it was, and a check-only start (the way a log-on starts the program) with a DVD overdue. (Which
// files are refused and where the collection is kept are the core's to test; a busy or damaged
// collection at start is tested in-process.)
#include <gtest/gtest.h>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

using e2e::ExpectStartStops;
using e2e::LaunchOptions;
using e2e::Sandbox;
using testsupport::Checksum;
using testsupport::Sqlite3Shell;

TEST(StartupTest, FirstStartMakesTheFileSecondCopyIsRefusedFirstKeepsRunning) {
  Sandbox sandbox;
  auto first = sandbox.Start();
  ASSERT_TRUE(first->WaitForShown()) << qPrintable(first->Stderr());
  // What the stock sqlite3 shell finds in the file. (What each table holds is the data engine's
  // to test.)
  EXPECT_EQ(
      Sqlite3Shell(sandbox.DatabaseFile(),
                   "PRAGMA integrity_check; PRAGMA application_id; SELECT group_concat(name) "
                   "FROM (SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name)"),
      QStringLiteral(
          "ok\n%1\nChoiceKeys,ChoiceStale,ColumnProperties,Customers,Inventory,ListOrder,ListStale,"
          "Loans,Settings,TitleStale,TitleTrigrams,TitleTrigrams_config,TitleTrigrams_content,"
          "TitleTrigrams_data,TitleTrigrams_idx")
          .arg(0x52654B70));
  EXPECT_TRUE(sandbox.StrayFiles().isEmpty()) << qPrintable(sandbox.StrayFiles().join(' '));
  const QByteArray before = Checksum(sandbox.DatabaseFile());

  // The same session, and another (another log-in: another runtime folder) on the same file.
  LaunchOptions otherSession;
  otherSession.runtime = "run2";
  for (const LaunchOptions& options : {LaunchOptions{}, otherSession}) {
    auto second = sandbox.Start(options);
    EXPECT_EQ(second->WaitForExit(), 0);
    EXPECT_FALSE(second->WasShown());
  }
  const QString running = "It's Running\tThere is already an instance of the ReelKeeper running.";
  EXPECT_EQ(sandbox.Messages(), QStringList({running, running}));
  EXPECT_TRUE(first->IsRunning());
  EXPECT_EQ(Checksum(sandbox.DatabaseFile()), before);
}

// The scanner comes first: no collection file is made.
TEST(StartupTest, MissingScannerLibraryStopsStartUpWithItsName) {
  Sandbox sandbox(/*withScannerLibrary=*/false);
  ExpectStartStops(sandbox,
                   {"Error\tError Number: 2\\n", sandbox.Path("prog/libreelkeeper_scanner.so")});
  EXPECT_FALSE(QFileInfo::exists(sandbox.DatabaseFile()));
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
  LaunchOptions options;
  options.fileSizeLimit = 4096;
  // The operating system's reason is part of the message, not only the engine's "disk I/O error".
  ExpectStartStops(sandbox, {sandbox.DatabaseFile(), "File too large"}, options);
  // Left as it was, the older file is brought up to date by the next start as any other is.
  EXPECT_EQ(QFileInfo::exists(sandbox.DatabaseFile()), existing);
}

INSTANTIATE_TEST_SUITE_P(File, FullDiskTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "OlderFile" : "NewFile"; });

class UnwritableTest : public ::testing::TestWithParam<bool> {};

// The user may not write the file (root's, read only), or not its folder (an installed copy that
// a user had filled before). The start ends with a message that names the file and the reason,
// for a folder also the way out (the data folder the file may move to), and no empty collection
// appears in the data folder instead.
TEST_P(UnwritableTest, FileIsNamedAndLeftAsItWas) {
  const bool folder = GetParam();
  Sandbox sandbox;
  sandbox.RunOnce();
  sandbox.GiveToNobody(/*programFolderToo=*/!folder);
  e2e::Chmod(sandbox.DatabaseFile(), 0644);
  QFile::remove(sandbox.Path("run/ReelKeeperMutex"));  // root's, from the first run
  LaunchOptions options;
  options.asNobody = true;
  QStringList parts = {sandbox.DatabaseFile(), "cannot be written"};
  if (folder) parts << sandbox.Path("data/ReelKeeper");
  ExpectStartStops(sandbox, parts, options);
  EXPECT_FALSE(QFileInfo::exists(sandbox.Path("data/ReelKeeper")));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnwritableTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ProgramFolder" : "File"; });

std::unique_ptr<e2e::Program> StartCheckOnly(const Sandbox& sandbox) {
  LaunchOptions options;
  options.arguments = QStringList{"checkonly"};
  return sandbox.Start(options);
}

// A collection of the program's own with one DVD lent in 2020 and never brought back, and no
// window layout stored yet. It is made by a check-only start with nothing overdue, which ends
// without a window and without asking.
void MakeOverdueCollection(const Sandbox& sandbox) {
  auto first = StartCheckOnly(sandbox);
  ASSERT_EQ(first->WaitForExit(), 0) << qPrintable(first->Stderr());
  ASSERT_FALSE(first->WasShown());
  ASSERT_TRUE(sandbox.Messages().isEmpty()) << qPrintable(sandbox.Messages().join('|'));
  const QString file = sandbox.DatabaseFile();
  Sqlite3Shell(file,
               "INSERT INTO Inventory (DVDTitle, Status, Name, Date, DueDate) VALUES "
               "('Heat', 1, 'Ann', '2020-01-01', '2020-01-15'); DELETE FROM Settings;");
  ASSERT_EQ(Sqlite3Shell(file, "SELECT count(*) FROM Settings"), "0");
}

// Left unattended, the question takes its default, No: nothing is shown and the program ends,
// and the main window's unload ran all the same (its layout is in the file).
TEST(OverdueCheckTest, CheckOnlyDeclinedEndsWithoutAWindowAndSavesTheLayout) {
  Sandbox sandbox;
  MakeOverdueCollection(sandbox);
  auto program = StartCheckOnly(sandbox);
  EXPECT_EQ(program->WaitForExit(), 0) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  EXPECT_EQ(sandbox.Messages(),
            QStringList{"DVDs Overdue\tYou have 1 DVD(s) that are overdue. Would you like to view "
                        "the status report?"});
  EXPECT_NE(Sqlite3Shell(sandbox.DatabaseFile(),
                         "SELECT count(*) FROM Settings WHERE SettingName = 'ReelKeeperFrmLeft'"),
            "0");
}

// On a screen, with real message boxes: Yes shows the report; once it is closed the main window
// comes up, and closing that ends the program.
TEST(OverdueCheckTest, CheckOnlyAnsweredYesShowsTheReportThenTheMainWindow) {
  if (!e2e::HasScreenTools()) GTEST_SKIP() << "needs xvfb-run and xdotool";
  Sandbox sandbox;
  MakeOverdueCollection(sandbox);
  LaunchOptions options;
  options.script = QStringLiteral(R"(
    unset REELKEEPER_MESSAGE_LOG
    ( exec "$RK" checkonly ) 2> program.err & pid=$!
    find() { timeout 60 xdotool search --sync --name "$1" | head -1; }
    box=$(find '^DVDs Overdue$'); [ -n "$box" ] || exit 90
    # A box mapped but not yet taking keys drops the first one on a loaded machine: send again
    # while the box is still up and the report is not.
    for i in $(seq 100); do
      xdotool search --name '^DVD Status Report$' >/dev/null && break
      xdotool search --onlyvisible --name '^DVDs Overdue$' >/dev/null &&
        timeout 5 xdotool windowfocus --sync "$box" key alt+y 2>/dev/null
      sleep 0.3
    done
    report=$(find '^DVD Status Report$'); [ -n "$report" ] || exit 91
    grep -q "window shown" program.err && exit 92
    xdotool windowfocus --sync "$report" key Escape
    for i in $(seq 600); do grep -q "window shown" program.err && break; sleep 0.1; done
    grep -q "window shown" program.err || exit 93
    main=$(find '^Reel Keeper$'); [ -n "$main" ] || exit 94
    xdotool windowfocus --sync "$main" key Escape
    wait $pid; exit $?
  )");
  e2e::ExpectScreenRunSucceeds(sandbox, options);
}

}  // namespace
