// Scanning as a user meets it on a real X server: codes written into the scanner feed, and a
// keyboard-wedge scanner's burst of keys (xdotool at a scanner's pace) next to a person's typing
// (xdotool at a person's pace). The stock sqlite3 shell then reads what the program stored.
#include <gtest/gtest.h>

#include <QStandardPaths>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

using testsupport::Sqlite3Shell;

TEST(ScannerTest, FeedAndKeyboardScansLendReturnAndAdd) {
  if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
      QStandardPaths::findExecutable("xdotool").isEmpty()) {
    GTEST_SKIP() << "needs xvfb-run and xdotool";
  }
  e2e::Sandbox sandbox;
  {
    e2e::LaunchOptions noCheck;
    noCheck.arguments = {QStringLiteral("nocheck")};
    auto first = sandbox.Start(noCheck);
    ASSERT_TRUE(first->WaitForShown()) << qPrintable(first->Stderr());
    first->Kill();
  }
  Sqlite3Shell(sandbox.DatabaseFile(),
               "INSERT INTO Inventory (DVDTitle, Status, Name, Date, DueDate, BarCode) VALUES "
               "('Vertigo', 1, 'Ann', '2024-04-01', '2024-04-20', '4006381333931')");

  e2e::LaunchOptions options;
  options.throughXvfb = true;
  // xdotool waits half its delay between a key's press and its release: --delay 5 types a key
  // every few milliseconds, as a scanner does; --delay 200 every 100 ms, as a quick typist. In
  // its text a carriage return is the Return key.
  options.script = QStringLiteral(R"(
    set -e
    "$RK" nocheck 2> program.err & pid=$!
    for i in $(seq 600); do grep -q "window shown" program.err && break; sleep 0.1; done
    feed="$XDG_RUNTIME_DIR/ReelKeeper/scanner"
    test -p "$feed"
    gone() { timeout 20 sh -c "while xdotool search --name '$1' >/dev/null; do sleep 0.1; done"; }
    wid=$(xdotool search --sync --name '^Reel Keeper$' | head -1)

    # A lent DVD's code: the return question, answered by its default (Yes).
    echo 4006381333931 > "$feed"
    timeout 20 sh -c 'until grep -q "^Return DVD?" messages.log 2>/dev/null; do sleep 0.1; done'

    # An unknown code: Add DVD with the code locked in; the title typed by a person.
    echo 96385074 > "$feed"
    did=$(timeout 20 xdotool search --sync --name '^Add DVD$' | head -1); test -n "$did"
    xdotool windowfocus --sync "$did"
    xdotool type --delay 200 "Psycho"
    xdotool key Return
    gone '^Add DVD$'

    # A keyboard scan in the main window adds another; a second scan in the dialog (its bar code
    # locked) is dropped, and its Enter does not press Ok.
    xdotool windowfocus --sync "$wid"
    xdotool type --delay 5 $'036000291452\r'
    did=$(timeout 20 xdotool search --sync --name '^Add DVD$' | head -1); test -n "$did"
    xdotool windowfocus --sync "$did"
    xdotool type --delay 5 $'5012345678900\r'
    xdotool type --delay 200 "Alien"
    xdotool key Return
    gone '^Add DVD$'

    xdotool windowfocus --sync "$wid" key Escape
    wait $pid; echo "exit=$?"
  )");
  auto run = sandbox.Start(options);
  ASSERT_EQ(run->WaitForExit(240), 0)
      << qPrintable(e2e::ReadFile(sandbox.Path("work/program.err")));
  EXPECT_EQ(sandbox.Messages(),
            QStringList{QStringLiteral("Return DVD?\tAre you sure you want to return this DVD?")});
  EXPECT_EQ(Sqlite3Shell(sandbox.DatabaseFile(),
                         "SELECT DVDTitle, Status, Name, BarCode FROM Inventory ORDER BY DVDTitle")
                .toStdString(),
            "Alien|0||036000291452\nPsycho|0||96385074\nVertigo|0||4006381333931");
}

}  // namespace
