// The program on a real X server, driven by keys and clicks only (xdotool), and the rows the stock
// sqlite3 shell then finds in the file. Without a window manager the main window sits where the
// program puts it; the toolbar's first button and the list's first row are found from its corner.
// xdotool waits half its delay between a key's press and its release: --delay 5 types a key every
// few milliseconds, as a keyboard-wedge scanner does; --delay 150 or more types at a person's
// pace. A quick burst of keys ended by Enter or Tab is a scanner's.
#include <gtest/gtest.h>

#include <QDate>
#include <QFile>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

using testsupport::Sqlite3Shell;

TEST(DialogsTest, AddADVDAndLendItByKeyboardAndMouse) {
  if (!e2e::HasScreenTools()) GTEST_SKIP() << "needs xvfb-run and xdotool";
  e2e::Sandbox sandbox;
  e2e::DriveMainWindow(sandbox, QStringLiteral(R"(
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
    xdotool key Tab Tab Tab Tab Tab Tab Tab Tab Tab
    xdotool key ctrl+a type "7"
    xdotool key Return
    timeout 20 sh -c "while xdotool search --name '^Loan ' >/dev/null; do sleep 0.1; done"
  )"));

  const QString file = sandbox.DatabaseFile();
  const QDate today = QDate::currentDate();
  EXPECT_EQ(Sqlite3Shell(file, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(
      Sqlite3Shell(file, "SELECT DVDTitle, Category, Status, Name, Date, DueDate FROM Inventory"),
      QString("Schindler's List|Drama|1|Ann O'Neil|%1|%2")
          .arg(today.toString(Qt::ISODate), today.addDays(7).toString(Qt::ISODate)));
  EXPECT_EQ(Sqlite3Shell(file, "SELECT Name, Address, City FROM Customers"),
            "Ann O'Neil|1 Main St|");
}

// A scan in the main window opens Add DVD; a second scan in the dialog (its bar code locked) is
// dropped, and its Enter does not press Ok; the title is typed by a person. (What a code does
// once scanned is tested in-process, with codes written into the library's feed.)
TEST(DialogsTest, KeyboardScanAddsADVDWhileAPersonsTypingGoesThrough) {
  if (!e2e::HasScreenTools()) GTEST_SKIP() << "needs xvfb-run and xdotool";
  e2e::Sandbox sandbox;
  e2e::DriveMainWindow(sandbox, QStringLiteral(R"(
    xdotool type --delay 5 $'036000291452\r'
    did=$(timeout 20 xdotool search --sync --name '^Add DVD$' | head -1); test -n "$did"
    xdotool windowfocus --sync "$did"
    xdotool type --delay 5 $'5012345678900\r'
    xdotool type --delay 200 "Schindler's List"
    xdotool key Return
    timeout 20 sh -c "while xdotool search --name '^Add DVD$' >/dev/null; do sleep 0.1; done"
  )"));
  EXPECT_EQ(
      Sqlite3Shell(sandbox.DatabaseFile(), "SELECT DVDTitle, Status, Name, BarCode FROM Inventory"),
      "Schindler's List|0||036000291452");
}

// A CSV file chosen in the desktop's file dialog, its columns taken as mapped, the dry run told to
// update the DVD the collection has, then written; the unusable row is left out.
TEST(DialogsTest, ImportDVDsThroughTheFileDialogAndTheDryRun) {
  if (!e2e::HasScreenTools()) GTEST_SKIP() << "needs xvfb-run and xdotool";
  e2e::Sandbox sandbox;
  sandbox.RunOnce();
  Sqlite3Shell(sandbox.DatabaseFile(),
               "INSERT INTO Inventory (DVDTitle, Category) "
               "VALUES ('Alien', 'Horror')");
  QFile csv(sandbox.Path("work/films.csv"));
  ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
  csv.write("Title,Genre\r\nalien,Sci-Fi\r\nBrazil,Comedy\r\n,Drama\r\n");
  csv.close();
  e2e::DriveMainWindow(sandbox, QStringLiteral(R"(
    xdotool key alt+c sleep 0.5 key i
    fid=$(timeout 20 xdotool search --sync --name '^Import DVDs$' | head -1)
    xdotool windowfocus --sync "$fid" sleep 0.5 type --delay 100 "films.csv"
    xdotool key Return
    iid=$(timeout 20 sh -c "until xdotool search --name '^Import DVDs$' | grep -v $fid; do sleep 0.1; done" | head -1)
    xdotool windowfocus --sync "$iid" sleep 0.5 key alt+n sleep 0.5 key alt+a sleep 0.3 key Down
    xdotool sleep 0.5 key alt+i
    timeout 20 sh -c "while xdotool search --name '^Import DVDs$' >/dev/null; do sleep 0.1; done"
  )"));
  EXPECT_EQ(Sqlite3Shell(sandbox.DatabaseFile(),
                         "SELECT DVDTitle || '|' || Category FROM Inventory ORDER BY DVDTitle"),
            "Alien|Sci-Fi\nBrazil|Comedy");
}

}  // namespace
