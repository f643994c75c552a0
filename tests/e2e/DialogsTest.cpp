// The DVD dialogs as a user meets them on a real X server: a DVD added through the Add DVD dialog
// and lent through the Loan dialog, keys and clicks only, and the rows the stock sqlite3 shell
// then finds in the file.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QStandardPaths>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

TEST(DialogsTest, AddADVDAndLendItByKeyboardAndMouse) {
  if (QStandardPaths::findExecutable("xvfb-run").isEmpty() ||
      QStandardPaths::findExecutable("xdotool").isEmpty()) {
    GTEST_SKIP() << "needs xvfb-run and xdotool";
  }
  e2e::Sandbox sandbox;
  e2e::LaunchOptions options;
  options.throughXvfb = true;
  // Without a window manager the main window sits where the program puts it; the toolbar's first
  // button and the list's first row are found from its corner. Keys go at a person's pace (xdotool
  // waits half the delay between a key's press and release): a quick burst of keys ended by Enter
  // or Tab is a scanner's.
  options.script = QStringLiteral(R"(
    set -e
    "$RK" nocheck 2> program.err & pid=$!
    for i in $(seq 600); do grep -q "window shown" program.err && break; sleep 0.1; done
    wid=$(xdotool search --sync --name '^Reel Keeper$' | head -1)
    xdotool windowfocus --sync "$wid"
    eval $(xdotool getwindowgeometry --shell "$wid")
    xdotool mousemove $((X + 30)) $((Y + 30)) click 1
    did=$(timeout 20 xdotool search --sync --name '^Add DVD$' | head -1)
    xdotool windowfocus --sync "$did"
    xdotool type --delay 150 "Schindler's List"
    xdotool key Tab type --delay 150 "Drama"
    xdotool key Return
    timeout 20 sh -c "while xdotool search --name '^Add DVD$' >/dev/null; do sleep 0.1; done"
    xdotool mousemove $((X + 60)) $((Y + 92)) click --repeat 2 --delay 60 1
    lid=$(timeout 20 xdotool search --sync --name "^Loan Schindler's List$" | head -1)
    xdotool windowfocus --sync "$lid"
    xdotool type --delay 150 "Ann O'Neil"
    xdotool key Tab type --delay 150 "1 Main St"
    xdotool key Tab Tab Tab Tab Tab Tab Tab Tab
    xdotool key ctrl+a type "7"
    xdotool key Return
    timeout 20 sh -c "while xdotool search --name '^Loan ' >/dev/null; do sleep 0.1; done"
    xdotool windowfocus --sync "$wid" key Escape
    wait $pid; echo "exit=$?"
  )");
  auto run = sandbox.Start(options);
  ASSERT_EQ(run->WaitForExit(240), 0)
      << qPrintable(e2e::ReadFile(sandbox.Path("work/program.err")));
  EXPECT_TRUE(sandbox.Messages().isEmpty()) << qPrintable(sandbox.Messages().join('|'));

  const QString file = sandbox.DatabaseFile();
  const QDate today = QDate::currentDate();
  EXPECT_EQ(testsupport::Sqlite3Shell(file, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(testsupport::Sqlite3Shell(
                file, "SELECT DVDTitle, Category, Status, Name, Date, DueDate FROM Inventory"),
            QString("Schindler's List|Drama|1|Ann O'Neil|%1|%2")
                .arg(today.toString(Qt::ISODate), today.addDays(7).toString(Qt::ISODate)));
  EXPECT_EQ(testsupport::Sqlite3Shell(file, "SELECT Name, Address, City FROM Customers"),
            "Ann O'Neil|1 Main St|");
}

}  // namespace
