#include <sqlite3.h>

#include <QAccessible>
#include <QCursor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QLabel>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <functional>

#include "ReelKeeperFrmFixture.h"
#include "inventory/DVDRecord.h"
#include "settings/SettingsManager.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;

namespace {

const QString kDVDHint = QStringLiteral(
    "To edit this DVD click the \"Edit DVD\" button or right click the DVD in the list on the "
    "left.");
const QString kLoanHint =
    QStringLiteral("To edit this loan click the \"Edit Loan\" button in the list on the left.");

QString Iso(const QDate& date) { return date.toString(Qt::ISODate); }

class MainWindowTest : public ReelKeeperFrmTest {};

// What each status and date shows is the row rules' (core tests); the panel puts the DVD, its
// loan and its borrower into the boxes.
TEST_F(MainWindowTest, PanelShowsTheDVDItsLoanAndTheBorrower) {
  const QDate out = Today().addDays(-10);
  const QDate due = Today().addDays(-3);
  db.AddCustomer(QStringLiteral("Ann Lee"), QStringLiteral("555-0100"));
  db.AddDvd(QStringLiteral("Heat"), QStringLiteral("Crime"), 1, QStringLiteral("ann lee"), Iso(out),
            Iso(due), QStringLiteral("0042"), QStringLiteral("R"), QStringLiteral("Al Pacino"),
            QStringLiteral("Line one\r\nLine two"));
  Load();
  Click(QStringLiteral("Heat"));

  EXPECT_EQ(Text(QStringLiteral("StatusTxt")), QStringLiteral("Loaned - 3 day(s) Overdue"));
  EXPECT_EQ(Text(QStringLiteral("DaysDueTxt")), QStringLiteral("-3"));
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QStringLiteral("Heat"));
  // Long texts show their beginning.
  EXPECT_EQ(Find<QLineEdit>(QStringLiteral("TitleTxt"))->cursorPosition(), 0);
  EXPECT_EQ(Find<QLineEdit>(QStringLiteral("NameTxt"))->cursorPosition(), 0);
  EXPECT_EQ(Text(QStringLiteral("CategoryTxt")), QStringLiteral("Crime"));
  EXPECT_EQ(Text(QStringLiteral("RatedTxt")), QStringLiteral("R"));
  EXPECT_EQ(Text(QStringLiteral("StarringTxt")), QStringLiteral("Al Pacino"));
  EXPECT_EQ(Text(QStringLiteral("BarCodeTxt")), QStringLiteral("0042"));
  EXPECT_EQ(Find<QPlainTextEdit>(QStringLiteral("DescriptionTxt"))->toPlainText(),
            QStringLiteral("Line one\nLine two"));
  // The borrower's entry as stored, found whatever the letter case of the DVD's Name.
  EXPECT_EQ(Text(QStringLiteral("NameTxt")), QStringLiteral("Ann Lee"));
  EXPECT_EQ(Text(QStringLiteral("PhoneTxt")), QStringLiteral("555-0100"));
  auto* outPicker = Find<QDateEdit>(QStringLiteral("OutDateTxt"));
  auto* duePicker = Find<QDateEdit>(QStringLiteral("DueDateTxt"));
  EXPECT_EQ(outPicker->date(), out);
  EXPECT_EQ(duePicker->date(), due);
  EXPECT_EQ(duePicker->property("Tag").toString(), InventoryFunctions::ShortDateText(due));
  EXPECT_EQ(duePicker->displayFormat(), QStringLiteral("MM/dd/yyyy - MMMM dd, yyyy"));
}

TEST_F(MainWindowTest, LoanButtonsFollowTheSelection) {
  db.AddDvd(QStringLiteral("Shelf"));
  db.AddDvd(QStringLiteral("Out"), {}, 1, QStringLiteral("Ann"), Iso(Today()),
            Iso(Today().addDays(3)));
  Load();
  EXPECT_FALSE(Button(QStringLiteral("LoanDVD"))->isVisible());
  EXPECT_FALSE(Button(QStringLiteral("EditLoan"))->isVisible());
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QString());

  Click(QStringLiteral("Shelf"));
  EXPECT_TRUE(Button(QStringLiteral("LoanDVD"))->isVisible());
  EXPECT_EQ(Button(QStringLiteral("LoanDVD"))->text(), QStringLiteral("Loan DVD"));
  EXPECT_FALSE(Button(QStringLiteral("EditLoan"))->isVisible());

  Click(QStringLiteral("Out"));
  EXPECT_EQ(Button(QStringLiteral("LoanDVD"))->text(), QStringLiteral("Return DVD"));
  EXPECT_TRUE(Button(QStringLiteral("EditLoan"))->isVisible());
  // Ann is not in the phone book: the loan tab stays empty, the pickers at today.
  EXPECT_EQ(Text(QStringLiteral("NameTxt")), QString());
  EXPECT_EQ(Find<QDateEdit>(QStringLiteral("DueDateTxt"))->date(), Today());
  EXPECT_EQ(Find<QDateEdit>(QStringLiteral("DueDateTxt"))->property("Tag").toString(), QString());

  // A click below the last row leaves nothing selected: both loan buttons go, the tabs empty.
  frm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  QWidget* rows = List()->viewport();
  QTest::mouseClick(rows, Qt::LeftButton, {}, QPoint(10, rows->height() - 3));
  EXPECT_FALSE(Button(QStringLiteral("LoanDVD"))->isVisible());
  EXPECT_FALSE(Button(QStringLiteral("EditLoan"))->isVisible());
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QString());
}

TEST_F(MainWindowTest, RowDeletedBehindTheListSaysErrorThenRecovers) {
  db.AddCustomer(QStringLiteral("Ann"));
  db.AddDvd(QStringLiteral("Gone"), {}, 1, QStringLiteral("Ann"), Iso(Today()),
            Iso(Today().addDays(1)));
  db.AddDvd(QStringLiteral("Kept"), QStringLiteral("Drama"));
  Load();
  Click(QStringLiteral("Gone"));
  db.Db()->Execute(QStringLiteral("DELETE FROM Inventory WHERE DVDTitle = 'Gone'"));

  frm->DVDSelected();

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, QStringLiteral("Error."));
  EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("ReelKeeper"));
  EXPECT_EQ(boxes.Shown()[0].icon, MsgIcon::None);
  EXPECT_EQ(boxes.Shown()[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QString());
  EXPECT_EQ(Text(QStringLiteral("NameTxt")), QStringLiteral("Ann"));  // tab 2 keeps its loan
  EXPECT_FALSE(Button(QStringLiteral("LoanDVD"))->isVisible());

  Click(QStringLiteral("Kept"));
  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QStringLiteral("Kept"));
  EXPECT_EQ(Text(QStringLiteral("CategoryTxt")), QStringLiteral("Drama"));
  EXPECT_EQ(Text(QStringLiteral("NameTxt")), QString());
}

TEST_F(MainWindowTest, SelectDVDSelectsWithoutRefreshingThePanel) {
  db.AddDvd(QStringLiteral("Alpha"));
  db.AddDvd(QStringLiteral("Beta"));
  Load();
  Click(QStringLiteral("Alpha"));

  frm->SelectDVD(QStringLiteral("BETA"));
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("Beta"));
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QStringLiteral("Alpha"));

  frm->SelectDVD(QStringLiteral("Gamma"));
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("Beta"));

  // A reload keeps the selection on the same title.
  db.AddDvd(QStringLiteral("Aardvark"));
  frm->LoadDVDList();
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("Beta"));
}

TEST_F(MainWindowTest, DatePickersSnapBackToTheShownDate) {
  db.AddCustomer(QStringLiteral("Ann"));
  db.AddDvd(QStringLiteral("Out"), {}, 1, QStringLiteral("Ann"), Iso(Today().addDays(-4)),
            Iso(Today().addDays(3)));
  Load();
  auto* picker = Find<QDateEdit>(QStringLiteral("OutDateTxt"));
  ASSERT_TRUE(picker->calendarPopup());

  picker->setDate(QDate(2020, 2, 2));  // nothing shown: back to today
  EXPECT_EQ(picker->date(), Today());

  Click(QStringLiteral("Out"));
  picker->setDate(QDate(2020, 2, 2));
  EXPECT_EQ(picker->date(), Today().addDays(-4));
  QTest::keyClick(picker, Qt::Key_Up);  // stepping a section changes nothing either
  EXPECT_EQ(picker->date(), Today().addDays(-4));
}

TEST_F(MainWindowTest, LayoutWrittenAtCloseIsRestoredAtTheNextLoad) {
  db.AddDvd(QStringLiteral("Alpha"));
  Load();
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

  QTest::keyClick(Find(QStringLiteral("TitleTxt")), Qt::Key_Escape);

  sqlite3_commit_hook(db.Db()->Handle(), nullptr, nullptr);
  // Placement, list layout and separator in one transaction: a kill never leaves half of them.
  EXPECT_EQ(commits, 1);
  EXPECT_EQ(unloaded.count(), 1);
  EXPECT_FALSE(frm->isVisible());
  using SettingsManager::ReadSetting;
  EXPECT_FLOAT_EQ(ReadSetting(QStringLiteral("ReelKeeperFrmSeparatorRatio"), 0).toFloat(), 0.3f);
  EXPECT_EQ(ReadSetting(QStringLiteral("ReelKeeperFrmWindowState"), 0).toInt(), 2);
  EXPECT_GT(ReadSetting(QStringLiteral("DVDList_HeaderCount"), 0).toInt(), 0);
  frm->close();  // a second close does not unload again
  EXPECT_EQ(unloaded.count(), 1);

  Load();
  EXPECT_FLOAT_EQ(frm->SeparatorRatio, 0.3f);
  EXPECT_TRUE(frm->windowState() & Qt::WindowMaximized);
}

TEST_F(MainWindowTest, ALayoutThatCannotBeWrittenIsLoggedAndTheUnloadGoesOn) {
  QTemporaryDir folder;
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  Load();
  db.Db()->Execute(
      QStringLiteral("CREATE TRIGGER no_layout BEFORE INSERT ON Settings WHEN NEW.SettingName = "
                     "'ReelKeeperFrmSeparatorRatio' BEGIN SELECT RAISE(ABORT, 'disk full'); END"));
  QSignalSpy unloaded(frm.get(), &ReelKeeperFrm::Unloaded);
  frm->close();
  QDir::setCurrent(previous);
  EXPECT_EQ(unloaded.count(), 1);
  QFile log(folder.filePath(QStringLiteral("ErrorLog")));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QString entry = QString::fromUtf8(log.readAll());
  EXPECT_TRUE(entry.startsWith(QStringLiteral("The window layout could not be saved.")));
  EXPECT_TRUE(entry.contains(QStringLiteral("disk full")));
  // Nothing of the layout was written: all of it or none.
  EXPECT_TRUE(db.Column(QStringLiteral("SELECT SettingName FROM Settings")).isEmpty());
}

TEST_F(MainWindowTest, FirstStartOpensMaximizedWithTheSplitterInTheMiddle) {
  Load();
  EXPECT_TRUE(frm->windowState() & Qt::WindowMaximized);
  EXPECT_NEAR(frm->SeparatorRatio, 0.5, 0.01);
}

TEST_F(MainWindowTest, HintOfTheControlUnderThePointer) {
  Load();
  frm->setWindowState(Qt::WindowNoState);
  frm->setGeometry(10, 10, 760, 560);  // the offscreen screen is 800 by 600
  frm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  auto hover = [&](const QString& name) {
    QWidget* w = Find(name);
    QCursor::setPos(w->mapToGlobal(w->rect().center()));
    FormHelpers::ShowHint(frm.get());
    return StatusBarText();
  };
  EXPECT_EQ(hover(QStringLiteral("TitleTxt")), kDVDHint);
  EXPECT_EQ(hover(QStringLiteral("TitleLbl")), QString());  // labels carry no hint
  EXPECT_EQ(hover(QStringLiteral("DescriptionTxt")), kDVDHint);
  EXPECT_EQ(hover(QStringLiteral("DVDList")),
            QStringLiteral("Double click a title to loan or return it - right click to edit"));
  Find<QTabWidget>(QStringLiteral("Tabs"))->setCurrentIndex(1);
  EXPECT_EQ(hover(QStringLiteral("AddressTxt")), kLoanHint);
  Find<QTabWidget>(QStringLiteral("Tabs"))->setCurrentIndex(2);
  EXPECT_EQ(hover(QStringLiteral("PhoneNameTxt")),
            QStringLiteral("The name of the person you are loaning your DVD to."));
  EXPECT_EQ(hover(QStringLiteral("PhoneZipTxt")),
            QStringLiteral("The zip-code of the person you are loaning your DVD to."));

  // The window's timer does the same at every tick.
  QCursor::setPos(Find(QStringLiteral("TitleTxt"))->mapToGlobal(QPoint(-500, -500)));
  Find<QTabWidget>(QStringLiteral("Tabs"))->setCurrentIndex(0);
  QWidget* title = Find(QStringLiteral("TitleTxt"));
  QCursor::setPos(title->mapToGlobal(title->rect().center()));
  frm->Message(QStringLiteral("something else"));
  EXPECT_TRUE(QTest::qWaitFor([&] { return StatusBarText() == kDVDHint; }, 2000));
}

TEST_F(MainWindowTest, ToolbarHasTheNineButtonsInOrder) {
  Load();
  const QStringList keys = {"AddDVD",       "EditDVD",   "DelDVD", "LoanDVD", "EditLoan",
                            "StatusReport", "PhoneBook", "Search", "About"};
  const QStringList captions = {"Add DVD", "Edit DVD",   "Del DVD", "Return DVD", "Edit Loan",
                                "Status",  "Phone Book", "Search",  "About"};
  auto* toolbar = Find<QToolBar>(QStringLiteral("MainToolbar"));
  QStringList shownKeys;
  QStringList shownCaptions;
  for (QAction* action : toolbar->actions()) {
    shownKeys << action->objectName();
    shownCaptions << action->text();
    EXPECT_FALSE(action->icon().isNull()) << qPrintable(action->objectName());
    EXPECT_FALSE(action->toolTip().isEmpty());
  }
  EXPECT_EQ(shownKeys, keys);
  // With an empty list LoanDVD is hidden, but its caption is still the designed one.
  EXPECT_EQ(shownCaptions, captions);
}

TEST_F(MainWindowTest, ScreenReaderNamesEveryControlByItsCaption) {
  Load();
  frm->show();
  auto name = [](QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name) : QStringLiteral("<none>");
  };
  const QList<QLabel*> labels = frm->findChildren<QLabel*>();
  int checked = 0;
  for (QLabel* label : labels) {
    if (!label->objectName().endsWith(u"Lbl")) continue;
    SCOPED_TRACE(qPrintable(label->objectName()));
    QString control = label->objectName();
    control.replace(control.size() - 3, 3, QStringLiteral("Txt"));
    ASSERT_NE(label->buddy(), nullptr);
    EXPECT_EQ(label->buddy()->objectName(), control);
    EXPECT_EQ(name(label->buddy()), label->text());
    ++checked;
  }
  EXPECT_EQ(checked, 6 + 12 + 9);
  EXPECT_EQ(name(Find(QStringLiteral("DescriptionTxt"))), QStringLiteral("Description:"));
  EXPECT_EQ(name(Find(QStringLiteral("AddDVD"))), QStringLiteral("Add DVD"));
  EXPECT_EQ(name(Find(QStringLiteral("SaveButton"))), QStringLiteral("Save"));
  EXPECT_FALSE(name(List()).isEmpty());
  EXPECT_FALSE(name(Find(QStringLiteral("Tabs"))).isEmpty());

  QAccessibleInterface* tabs = QAccessible::queryAccessibleInterface(Find(QStringLiteral("Tabs")));
  QStringList pages;
  std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* iface) {
    for (int i = 0; i < iface->childCount(); ++i) {
      QAccessibleInterface* child = iface->child(i);
      if (!child) continue;
      if (child->role() == QAccessible::PageTab) pages << child->text(QAccessible::Name);
      walk(child);
    }
  };
  walk(tabs);
  EXPECT_EQ(pages, (QStringList{"DVD Info", "Loan Info", "Phone Book"}));
}

TEST_F(MainWindowTest, IsDVDFindsBarCodesExactlyAsStored) {
  db.AddDvd(QStringLiteral("Coded"), {}, 0, {}, QStringLiteral("2000-01-01"),
            QStringLiteral("2000-01-01"), QStringLiteral("007"));
  Load();
  EXPECT_TRUE(frm->IsDVD(QStringLiteral("007")));
  EXPECT_FALSE(frm->IsDVD(QStringLiteral("7")));
  EXPECT_FALSE(frm->IsDVD(QStringLiteral("0'7")));
}

}  // namespace
