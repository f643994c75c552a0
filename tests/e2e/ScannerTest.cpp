// Scanning as a user meets it on a real X server: a keyboard-wedge scanner's burst of keys
// (xdotool at a scanner's pace) next to a person's typing (xdotool at a person's pace). The stock
// sqlite3 shell then reads what the program stored. (What a code does once scanned is tested
// in-process, with codes written into the library's feed.)
#include <gtest/gtest.h>

#include <QStandardPaths>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

TEST(ScannerTest, KeyboardScanAddsADVDWhileAPersonsTypingGoesThrough) {
  if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
      QStandardPaths::findExecutable("xdotool").isEmpty()) {
    GTEST_SKIP() << "needs xvfb-run and xdotool";
  }
  e2e::Sandbox sandbox;
  e2e::LaunchOptions options;
  options.throughXvfb = true;
  // xdotool waits half its delay between a key's press and its release: --delay 5 types a key
  // every few milliseconds, as a scanner does; --delay 200 every 100 ms, as a quick typist. In
  // its text a carriage return is the Return key.
  options.script = QStringLiteral(R"(
    set -e
    "$RK" nocheck 2> program.err & pid=$!
    for i in $(seq 600); do grep -q "window shown" program.err && break; sleep 0.1; done
    wid=$(xdotool search --sync --name '^Reel Keeper$' | head -1)

    # A scan in the main window opens Add DVD; a second scan in the dialog (its bar code locked)
    # is dropped, and its Enter does not press Ok; the title is typed by a person.
    xdotool windowfocus --sync "$wid"
    xdotool type --delay 5 $'036000291452\r'
    did=$(timeout 20 xdotool search --sync --name '^Add DVD$' | head -1); test -n "$did"
    xdotool windowfocus --sync "$did"
    xdotool type --delay 5 $'5012345678900\r'
    xdotool type --delay 200 "Schindler's List"
    xdotool key Return
    timeout 20 sh -c "while xdotool search --name '^Add DVD$' >/dev/null; do sleep 0.1; done"

    xdotool windowfocus --sync "$wid" key Escape
    wait $pid; echo "exit=$?"
  )");
  auto run = sandbox.Start(options);
  ASSERT_EQ(run->WaitForExit(240), 0)
      << qPrintable(e2e::ReadFile(sandbox.Path("work/program.err")));
  EXPECT_TRUE(sandbox.Messages().isEmpty()) << qPrintable(sandbox.Messages().join('|'));
  EXPECT_EQ(testsupport::Sqlite3Shell(sandbox.DatabaseFile(),
                                      "SELECT DVDTitle, Status, Name, BarCode FROM Inventory"),
            "Schindler's List|0||036000291452");
}

}  // namespace
