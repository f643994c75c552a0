// A check-only start (the way a log-on starts the program) with a DVD overdue: the question, and
// what each answer leads to.
#include <gtest/gtest.h>

#include <QStandardPaths>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

using e2e::LaunchOptions;
using e2e::Sandbox;

const QString kQuestion = QStringLiteral(
    "DVDs Overdue\tYou have 1 DVD(s) that are overdue. Would you like to view the status "
    "report?");

QString Shell(const Sandbox& sandbox, const QString& sql) {
  return testsupport::Sqlite3Shell(sandbox.DatabaseFile(), sql);
}

// A collection of the program's own with one DVD lent in 2020 and never brought back, and no
// window layout stored yet. It is made by a check-only start with nothing overdue, which ends
// without a window and without asking.
void MakeOverdueCollection(const Sandbox& sandbox) {
  LaunchOptions options;
  options.arguments = QStringList{"checkonly"};
  auto first = sandbox.Start(options);
  ASSERT_EQ(first->WaitForExit(), 0) << qPrintable(first->Stderr());
  ASSERT_FALSE(first->WasShown());
  ASSERT_TRUE(sandbox.Messages().isEmpty()) << qPrintable(sandbox.Messages().join('|'));
  Shell(sandbox,
        "INSERT INTO Inventory (DVDTitle, Status, Name, Date, DueDate) VALUES "
        "('Heat', 1, 'Ann', '2020-01-01', '2020-01-15'); DELETE FROM Settings;");
  ASSERT_EQ(Shell(sandbox, "SELECT count(*) FROM Settings"), "0");
}

// Left unattended, the question takes its default, No: nothing is shown and the program ends,
// and the main window's unload ran all the same (its layout is in the file).
TEST(OverdueCheckTest, CheckOnlyDeclinedEndsWithoutAWindowAndSavesTheLayout) {
  Sandbox sandbox;
  MakeOverdueCollection(sandbox);
  LaunchOptions options;
  options.arguments = QStringList{"checkonly"};
  auto program = sandbox.Start(options);
  EXPECT_EQ(program->WaitForExit(), 0) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  EXPECT_EQ(sandbox.Messages(), QStringList{kQuestion});
  EXPECT_NE(Shell(sandbox, "SELECT count(*) FROM Settings WHERE SettingName = 'ReelKeeperFrmLeft'"),
            "0");
}

// On a screen, with real message boxes: Yes shows the report; once it is closed the main window
// comes up, and closing that ends the program.
TEST(OverdueCheckTest, CheckOnlyAnsweredYesShowsTheReportThenTheMainWindow) {
  if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
      QStandardPaths::findExecutable("xdotool").isEmpty()) {
    GTEST_SKIP() << "needs xvfb-run and xdotool";
  }
  Sandbox sandbox;
  MakeOverdueCollection(sandbox);
  LaunchOptions options;
  options.throughXvfb = true;
  options.script = QStringLiteral(R"(
    unset REELKEEPER_MESSAGE_LOG
    ( exec "$RK" checkonly ) 2> program.err & pid=$!
    find() { timeout 60 xdotool search --sync --name "$1" | head -1; }
    box=$(find '^DVDs Overdue$'); [ -n "$box" ] || exit 90
    xdotool windowfocus --sync "$box" key alt+y
    report=$(find '^DVD Status Report$'); [ -n "$report" ] || exit 91
    grep -q "window shown" program.err && exit 92
    xdotool windowfocus --sync "$report" key Escape
    for i in $(seq 600); do grep -q "window shown" program.err && break; sleep 0.1; done
    grep -q "window shown" program.err || exit 93
    main=$(find '^Reel Keeper$'); [ -n "$main" ] || exit 94
    xdotool windowfocus --sync "$main" key Escape
    wait $pid; exit $?
  )");
  auto run = sandbox.Start(options);
  EXPECT_EQ(run->WaitForExit(240), 0)
      << qPrintable(e2e::ReadFile(sandbox.Path("work/program.err")));
}

}  // namespace
