#include <sqlite3.h>

#include <QCursor>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QWidgetAction>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "inventory/DVDRecord.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"
#include "settings/SettingsManager.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;

namespace {

QString Iso(const QDate& date) { return date.toString(Qt::ISODate); }

class MainWindowTest : public ReelKeeperFrmTest {};

// What each status and date shows is the row rules' (core tests); the panel puts the DVD, its
// loan and its borrower into the boxes.
TEST_F(MainWindowTest, PanelShowsTheDVDItsLoanAndTheBorrower) {
  const QDate out = Today().addDays(-10);
  const QDate due = Today().addDays(-3);
  db.AddCustomer("Ann Lee", "555-0100");
  db.AddDvd("Heat", "Crime", 1, "ann lee", Iso(out), Iso(due), "0042", "R", "Al Pacino",
            "Line one\r\nLine two");
  Load();
  Click("Heat");

  QStringList shown;
  for (const char* box : {"StatusTxt", "DaysDueTxt", "TitleTxt", "CategoryTxt", "RatedTxt",
                          "StarringTxt", "BarCodeTxt", "NameTxt", "PhoneTxt"})
    shown << Text(box);
  // The borrower's entry as stored, found whatever the letter case of the DVD's Name.
  EXPECT_EQ(shown, QStringList({"Loaned - 3 day(s) Overdue", "-3", "Heat", "Crime", "R",
                                "Al Pacino", "0042", "Ann Lee", "555-0100"}));
  EXPECT_EQ(Find<QPlainTextEdit>("DescriptionTxt")->toPlainText(), "Line one\nLine two");
  // Long texts show their beginning.
  EXPECT_EQ(Find<QLineEdit>("TitleTxt")->cursorPosition(), 0);
  EXPECT_EQ(Find<QLineEdit>("NameTxt")->cursorPosition(), 0);
  auto* duePicker = Find<QDateEdit>("DueDateTxt");
  EXPECT_EQ(Find<QDateEdit>("OutDateTxt")->date(), out);
  EXPECT_EQ(duePicker->date(), due);
  EXPECT_EQ(duePicker->property("Tag").toString(), InventoryFunctions::ShortDateText(due));
  EXPECT_EQ(duePicker->displayFormat(), "MM/dd/yyyy - MMMM dd, yyyy");
}

TEST_F(MainWindowTest, LoanButtonsFollowTheSelection) {
  db.AddDvd("Shelf");
  db.AddDvd("Out", {}, 1, "Ann", Iso(Today()), Iso(Today().addDays(3)));
  Load();
  EXPECT_FALSE(Button("LoanDVD")->isVisible());
  EXPECT_FALSE(Button("EditLoan")->isVisible());
  EXPECT_EQ(Text("TitleTxt"), QString());

  Click("Shelf");
  EXPECT_TRUE(Button("LoanDVD")->isVisible());
  EXPECT_EQ(Button("LoanDVD")->text(), "Loan DVD");
  EXPECT_FALSE(Button("EditLoan")->isVisible());

  Click("Out");
  EXPECT_EQ(Button("LoanDVD")->text(), "Return DVD");
  EXPECT_TRUE(Button("EditLoan")->isVisible());
  // Ann is not in the phone book: the loan tab still shows her name and the loan's own dates.
  EXPECT_EQ(QStringList({Text("NameTxt"), Text("PhoneTxt"), Text("DaysDueTxt")}),
            QStringList({"Ann", "", "3"}));
  EXPECT_EQ(Find<QDateEdit>("DueDateTxt")->date(), Today().addDays(3));
  EXPECT_EQ(Find<QDateEdit>("DueDateTxt")->property("Tag").toString(), "4/13/2024");

  // A click below the last row leaves nothing selected: both loan buttons go, the tabs empty.
  frm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  QWidget* rows = List()->viewport();
  QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, rows->height() - 3));
  EXPECT_FALSE(Button("LoanDVD")->isVisible());
  EXPECT_FALSE(Button("EditLoan")->isVisible());
  EXPECT_EQ(Text("TitleTxt"), QString());
}

TEST_F(MainWindowTest, RowDeletedBehindTheListSaysErrorThenRecovers) {
  db.AddCustomer("Ann");
  db.AddDvd("Gone", {}, 1, "Ann", Iso(Today()), Iso(Today().addDays(1)));
  db.AddDvd("Kept", "Drama");
  Load();
  Click("Gone");
  db.Db()->Execute("DELETE FROM Inventory WHERE DVDTitle = 'Gone'");

  frm->DVDSelected();

  ASSERT_EQ(boxes.Shown().size(), 1u);
  testsupport::ExpectBox(boxes.Shown()[0], "Error.", "ReelKeeper", MsgButtons::Ok, MsgIcon::None);
  EXPECT_EQ(Text("TitleTxt"), QString());
  EXPECT_EQ(Text("NameTxt"), "Ann");  // tab 2 keeps its loan
  EXPECT_FALSE(Button("LoanDVD")->isVisible());

  Click("Kept");
  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(Text("TitleTxt"), "Kept");
  EXPECT_EQ(Text("CategoryTxt"), "Drama");
  EXPECT_EQ(Text("NameTxt"), QString());
}

// Which row a title selects (letter case, unknown titles) is the list's own (DVDListTest).
TEST_F(MainWindowTest, SelectDVDSelectsWithoutRefreshingThePanel) {
  db.AddDvd("Alpha");
  db.AddDvd("Beta");
  Load();
  Click("Alpha");
  frm->SelectDVD("BETA");
  EXPECT_EQ(frm->GetSelectedDVD(), "Beta");
  EXPECT_EQ(Text("TitleTxt"), "Alpha");
}

TEST_F(MainWindowTest, DatePickersSnapBackToTheShownDate) {
  db.AddCustomer("Ann");
  db.AddDvd("Out", {}, 1, "Ann", Iso(Today().addDays(-4)), Iso(Today().addDays(3)));
  Load();
  auto* picker = Find<QDateEdit>("OutDateTxt");
  ASSERT_TRUE(picker->calendarPopup());

  picker->setDate(QDate(2020, 2, 2));  // nothing shown: back to today
  EXPECT_EQ(picker->date(), Today());

  Click("Out");
  picker->setDate(QDate(2020, 2, 2));
  EXPECT_EQ(picker->date(), Today().addDays(-4));
  QTest::keyClick(picker, Qt::Key_Up);  // stepping a section changes nothing either
  EXPECT_EQ(picker->date(), Today().addDays(-4));
}

// A first start opens maximized with the splitter in the middle; what the close writes (in one
// transaction: a kill never leaves half a layout) is what the next load restores.
TEST_F(MainWindowTest, LayoutWrittenAtCloseIsRestoredAtTheNextLoad) {
  db.AddDvd("Alpha");
  Load();
  EXPECT_TRUE(frm->windowState() & Qt::WindowMaximized);
  EXPECT_NEAR(frm->SeparatorRatio, 0.5, 0.01);
  frm->show();
  frm->setWindowState(Qt::WindowNoState);
  frm->setGeometry(100, 120, 900, 600);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  frm->SeparatorRatio = 0.3f;
  frm->ResizeMe();
  frm->showMaximized();
  QSignalSpy unloaded(frm.get(), &ReelKeeperFrm::Unloaded);
  int commits = 0;
  sqlite3_commit_hook(
      db.Db()->Handle(),
      [](void* count) {
        ++*static_cast<int*>(count);
        return 0;
      },
      &commits);

  // An Escape held down since another window (the repeats reach whatever window has the focus
  // next) does not close this one; a press of its own does.
  QKeyEvent repeated(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
  QApplication::sendEvent(Find("TitleTxt"), &repeated);
  EXPECT_EQ(unloaded.count(), 0);
  QTest::keyClick(Find("TitleTxt"), Qt::Key_Escape);

  sqlite3_commit_hook(db.Db()->Handle(), nullptr, nullptr);
  EXPECT_EQ(commits, 1);
  EXPECT_EQ(unloaded.count(), 1);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_GT(SettingsManager::ReadSetting(db, "DVDList_HeaderCount", 0).toInt(), 0);
  frm->close();  // a second close does not unload again
  EXPECT_EQ(unloaded.count(), 1);

  Load();
  EXPECT_FLOAT_EQ(frm->SeparatorRatio, 0.3f);
  EXPECT_TRUE(frm->windowState() & Qt::WindowMaximized);
}

TEST_F(MainWindowTest, ALayoutThatCannotBeWrittenIsLoggedAndTheUnloadGoesOn) {
  testsupport::TempCurrentFolder folder;
  Load();
  db.Db()->Execute(
      "CREATE TRIGGER no_layout BEFORE INSERT ON Settings WHEN NEW.SettingName = "
      "'ReelKeeperFrmSeparatorRatio' BEGIN SELECT RAISE(ABORT, 'disk full'); END");
  QSignalSpy unloaded(frm.get(), &ReelKeeperFrm::Unloaded);
  frm->close();
  EXPECT_EQ(unloaded.count(), 1);
  const QString entry = folder.ErrorLog();
  EXPECT_TRUE(entry.startsWith("The window layout could not be saved.")) << qPrintable(entry);
  EXPECT_TRUE(entry.contains("disk full"));
  // Nothing of the layout was written: all of it or none.
  EXPECT_TRUE(db.Column("SELECT SettingName FROM Settings").isEmpty());
}

// The hover hint itself is the form helpers'; the window's timer shows it at every tick.
TEST_F(MainWindowTest, TimerShowsTheHintOfTheControlUnderThePointer) {
  Load();
  frm->setWindowState(Qt::WindowNoState);
  frm->setGeometry(10, 10, 760, 560);  // the offscreen screen is 800 by 600
  frm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  frm->Message("something else");
  QWidget* title = Find("TitleTxt");
  QCursor::setPos(title->mapToGlobal(title->rect().center()));
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return StatusBarText() ==
           "To edit this DVD click the \"Edit DVD\" button or right click the DVD in the list on "
           "the left.";
  }));
}

TEST_F(MainWindowTest, ToolbarHasItsButtonsInOrderWithTheirPictures) {
  Load();
  QStringList shown;
  for (QAction* action : Find<QToolBar>("MainToolbar")->actions()) {
    if (qobject_cast<QWidgetAction*>(action)) continue;  // the loan buttons' stand-in
    shown << action->objectName() + '=' + action->text();
    EXPECT_FALSE(action->icon().isNull()) << qPrintable(action->objectName());
  }
  // With an empty list LoanDVD is hidden, but its caption is still the designed one.
  EXPECT_EQ(shown, QStringList({"AddDVD=Add DVD", "EditDVD=Edit DVD", "DelDVD=Del DVD",
                                "LoanDVD=Return DVD", "EditLoan=Edit Loan", "StatusReport=Status",
                                "PhoneBook=Phone Book", "Search=Search", "Collection=Collection",
                                "Reminders=Reminders", "About=About"}));
}

TEST_F(MainWindowTest, ScreenReaderNamesEveryControl) {
  Load();
  frm->show();
  EXPECT_EQ(ExpectReadableControls(frm.get()), 6 + 12 + 12 + 2);
}

}  // namespace

TEST_F(MainWindowTest, HistoryTabFollowsTheLoansAndLeadsToTheBorrower) {
  db.AddDvd("Heat");
  Load();
  Click("Heat");
  auto* tabs = Find<QTabWidget>("Tabs");
  tabs->setCurrentIndex(3);
  EXPECT_EQ(tabs->tabText(3), "History");
  CustomerFunctions::Customer ann;
  ann.name = "Ann Lee";
  ann.Text(CustomerFunctions::Field::Phone) = "555-0100";
  using namespace InventoryFunctions;
  for (int days : {-20, -5}) {
    ASSERT_EQ(LendDVD(db, "Heat", ann, Today().addDays(days), Today().addDays(days + 2)),
              DVDOutcome::Saved);
    ASSERT_EQ(ReturnDVD(db, "Heat"), DVDOutcome::Saved);
  }
  auto* loans = Find<QTreeWidget>("LoansTxt");
  ASSERT_EQ(loans->topLevelItemCount(), 2);
  EXPECT_EQ(loans->topLevelItem(0)->text(1), ShortDateText(Today().addDays(-5)));
  EXPECT_EQ(loans->topLevelItem(0)->text(4), "3");
  EXPECT_EQ(Text("SummaryTxt"), "Lent 2 times, 25 days out in all, late 2 times");

  emit loans->itemActivated(loans->topLevelItem(1), 0);
  EXPECT_EQ(tabs->currentIndex(), 2);
  EXPECT_EQ(Find<QComboBox>("PhoneNameTxt")->currentText(), "Ann Lee");
  EXPECT_EQ(Text("PhonePhoneTxt"), "555-0100");
}
