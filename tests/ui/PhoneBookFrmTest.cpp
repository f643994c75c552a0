#include "ui/phonebook/PhoneBookFrm.h"

#include <QAction>
#include <QListWidget>
#include <QTest>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "data/Database.h"
#include "settings/SettingsManager.h"

using seams::MsgAnswer;

namespace {

class PhoneBookFrmTest : public DialogTest<PhoneBookFrm> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    db.AddCustomer("Bob", "555-0001");
    db.AddCustomer("Carl", "555-0002");
  }

  void Open() {
    frm = std::make_unique<PhoneBookFrm>(db);
    ASSERT_TRUE(frm->LoadForm());
    frm->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  }
  void Resize(int width, int height) {
    frm->resize(width, height);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->size() == QSize(width, height); }));
  }

  QListWidget* NameList() const { return Box<QListWidget>("NameList"); }
  QString Name() const { return Box("NameTxt")->text(); }
  QString Phone() const { return Box("PhonePhoneTxt")->text(); }
  void Press(const char* button) { QTest::mouseClick(Box<QWidget>(button), Qt::LeftButton); }
  void ClickName(int row) {
    QTest::mouseClick(NameList()->viewport(), Qt::LeftButton, {},
                      NameList()->visualItemRect(NameList()->item(row)).center());
  }
  QStringList Items() const {
    QStringList items;
    for (int i = 0; i < NameList()->count(); ++i) items << NameList()->item(i)->text();
    return items;
  }
};

TEST_F(PhoneBookFrmTest, OpensWithEveryNameAndTypingCompletesAndShowsTheEntry) {
  Open();
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl"}));
  EXPECT_EQ(Name() + Phone(), "");
  QTest::keyClicks(Box("NameTxt"), "c");
  EXPECT_EQ(Name() + '|' + Box("NameTxt")->selectedText() + '|' + Phone(), "Carl|arl|555-0002");
  EXPECT_EQ(NameList()->currentRow(), 1);
  QTest::keyClicks(Box("NameTxt"), "x");  // replaces the completed part: no such name
  EXPECT_EQ(Name() + '|' + Phone(), "Cx|");
}

// Tab moves into the list without picking a name: a new name typed before stays, to be saved as
// a new entry rather than over the first one.
TEST_F(PhoneBookFrmTest, TabbingIntoTheListKeepsTheTypedNameAndAnArrowKeyPicks) {
  Open();
  frm->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
  Box("NameTxt")->setFocus();
  QTest::keyClicks(Box("NameTxt"), "Zoe Park");
  QTest::keyClick(Box("NameTxt"), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), NameList());
  EXPECT_EQ(Name() + '|' + Phone(), "Zoe Park|");
  QTest::keyClick(NameList(), Qt::Key_Down);
  EXPECT_EQ(Name() + '|' + Phone(), "Carl|555-0002");
}

// A click into the name box shows the stored entry again, over what was typed in its boxes.
TEST_F(PhoneBookFrmTest, PickingANameOrClickingIntoTheNameBoxShowsTheStoredEntry) {
  Open();
  ClickName(0);
  EXPECT_EQ(Name() + '|' + Phone(), "Bob|555-0001");
  QTest::keyClick(NameList(), Qt::Key_Down);
  EXPECT_EQ(Name() + '|' + Phone(), "Carl|555-0002");
  Box("NameTxt")->setText("Someone");
  ClickName(1);  // the current row, picked again
  EXPECT_EQ(Name(), "Carl");

  Box("PhonePhoneTxt")->setText("edited");
  db.Db()->Execute("UPDATE Customers SET Phone = '555-0101' WHERE Name = 'Carl'");
  QTest::mouseClick(Box("NameTxt"), Qt::LeftButton);
  EXPECT_EQ(Phone(), "555-0101");
}

// What saving and deleting ask and write is PhoneBookEntryTest's (and the toolbar's command below
// saves through the window); here the window's list and boxes follow the phone book.
TEST_F(PhoneBookFrmTest, DeletingKeepsTheNameAndRefreshesTheListAndTheBoxes) {
  Open();
  QTest::keyClicks(Box("NameTxt"), "Bob");
  boxes.Answer(MsgAnswer::Yes);
  Press("DeleteButton");
  EXPECT_EQ(Items(), QStringList{"Carl"});
  EXPECT_EQ(Name() + '|' + Phone(), "Bob|");
}

TEST_F(PhoneBookFrmTest, AFailingFileIsReportedAndTheWindowKeepsWhatWasTyped) {
  testsupport::TempCurrentFolder folder;  // the report is also logged there
  Open();
  db.Db()->Execute(
      "CREATE TRIGGER full BEFORE INSERT ON Customers BEGIN SELECT RAISE(ABORT, "
      "'disk full'); END");
  QTest::keyClicks(Box("NameTxt"), "Dora");
  Box("PhoneCityTxt")->setText("Oslo");
  Press("SaveButton");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, "Error");
  EXPECT_TRUE(boxes.Shown()[0].text.startsWith("The phone book could not be read or changed."));
  EXPECT_TRUE(boxes.Shown()[0].text.contains("disk full"));
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(Name(), "Dora");
  EXPECT_EQ(Box("PhoneCityTxt")->text(), "Oslo");
}

// A file held by another program gets the message every command gives (at the error boundary,
// ErrorBoundaryTest), not the phone book's own: the save hands the error on, keeping the window.
TEST_F(PhoneBookFrmTest, SaveOnAHeldFileHandsTheBusyErrorOnAndKeepsWhatWasTyped) {
  Open();
  QTest::keyClicks(Box("NameTxt"), "Dora");
  const DatabaseHandle other = Database::Open(db.Path());
  other->ExecuteRaw("BEGIN EXCLUSIVE");
  try {
    frm->SavePhoneInfo();
    ADD_FAILURE() << "saved on a held file";
  } catch (const DatabaseError& error) {
    EXPECT_TRUE(ErrorFunctions::IsBusy(error)) << error.what();
  }
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(Name(), "Dora");
  other->ExecuteRaw("ROLLBACK");
}

// How far the separator may go is the ratio's own rule and where the halves go at a ratio
// PhoneBookLayoutTest's; here a drag sets the ratio, which comes back at the next opening with the
// window's placement.
TEST_F(PhoneBookFrmTest, SeparatorDragSetsTheRatioKeptWithThePlacement) {
  Open();
  frm->setGeometry(40, 50, 700, 500);
  Resize(700, 500);
  QWidget* bar = Box<QWidget>("SeparatorButton");
  const QPoint grip(bar->width() / 2, 40);
  QTest::mousePress(bar, Qt::LeftButton, {}, grip);
  QTest::mouseMove(bar, grip + QPoint(-3000, 0));
  QTest::mouseRelease(bar, Qt::LeftButton, {}, grip + QPoint(-3000, 0));
  EXPECT_FLOAT_EQ(frm->SeparatorRatio, 0.125f);
  EXPECT_EQ(bar->geometry().right() + 1, Box<QWidget>("InfoFrame")->x());
  frm->close();
  Open();
  EXPECT_FLOAT_EQ(frm->SeparatorRatio, 0.125f);
  EXPECT_EQ(frm->geometry(), QRect(40, 50, 700, 500));
}

TEST_F(PhoneBookFrmTest, NotesFollowTheHeightAndTheButtonsStayOnTheFramesBottomEdge) {
  Open();
  QWidget* frame = Box<QWidget>("InfoFrame");
  for (const int height : {540, 650}) {
    Resize(760, height);
    for (const char* button : {"SaveButton", "DeleteButton", "CloseButton"})
      EXPECT_EQ(Box<QWidget>(button)->geometry().bottom() + 1, frame->height()) << button;
    EXPECT_EQ(Box<QWidget>("PhoneNotesTxt")->geometry().bottom() + 1 + 4,
              Box<QWidget>("SaveButton")->y());
    EXPECT_EQ(Box("PhoneAddressTxt")->geometry().right() + 1, frame->width());
    EXPECT_EQ(Box<QWidget>("PhoneNotesTxt")->width(), Box("PhoneAddressTxt")->width());
  }
}

TEST(PhoneBookLayoutTest, HalvesShareTheBandAtTheRatioAndNothingGoesNegative) {
  const auto placed = PhoneBookLayout::Place(QRect(10, 20, 800, 400), 0.25, 6, 24);
  EXPECT_EQ(QList<QRect>({placed.separator, placed.nameTxt, placed.nameList, placed.infoFrame}),
            QList<QRect>({QRect(207, 20, 6, 400), QRect(10, 20, 197, 24), QRect(10, 44, 197, 376),
                          QRect(213, 20, 597, 400)}));
  const auto tiny = PhoneBookLayout::Place(QRect(6, 6, 0, 0), 0.5, 6, 24);
  for (const QRect& part : {tiny.separator, tiny.nameTxt, tiny.nameList, tiny.infoFrame})
    EXPECT_TRUE(part.width() >= 0 && part.height() >= 0);
  const auto parts = PhoneBookLayout::PlaceInFrame({0, 0}, 60, 200, 30, 4);
  EXPECT_EQ(QList<int>({parts.boxWidth, parts.notesHeight}), QList<int>({0, 0}));
}

// A modal window that opened minimized would leave the main window blocked, with nothing on the
// screen to restore; a separator beyond the window could not be dragged back.
TEST_F(PhoneBookFrmTest, AWindowStoredMinimizedOpensNormalAndAStrayRatioIsPulledIn) {
  SettingsManager::WriteSetting(db, "PhoneBookFrmWindowState", qint32(1));
  SettingsManager::WriteSetting(db, "PhoneBookFrmSeparatorRatio", 5.0f);
  Open();
  EXPECT_FALSE(frm->windowState() & Qt::WindowMinimized);
  EXPECT_FLOAT_EQ(frm->SeparatorRatio, 0.875f);
  EXPECT_LT(Box<QWidget>("SeparatorButton")->geometry().right(), frm->width());
}

TEST_F(PhoneBookFrmTest, HintsInItsOwnStatusBarAndLabelsNameTheirBoxes) {
  Open();
  QCursor::setPos(Box("PhoneZipTxt")->mapToGlobal(QPoint(5, 5)));
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return Box<QStatusBar>("MessBar")->currentMessage() ==
           "The zip-code of the person you are loaning your DVD to.";
  }));
  EXPECT_EQ(ExpectReadableControls(frm.get()), 11);
}

// The toolbar's command, end to end: the window is modal, and what it saved is in the main
// window's phone book tab once it closes.
class PhoneBookCommandTest : public ReelKeeperFrmTest {};

TEST_F(PhoneBookCommandTest, OpensTheWindowModallyAndRefreshesTheTabAfterwards) {
  Load();
  bool seen = false;
  WhenOpen<PhoneBookFrm> editing([&](PhoneBookFrm& opened) {
    seen = true;
    QTest::keyClicks(Control<QLineEdit>(&opened, "NameTxt"), "Edna");
    Press(&opened, "SaveButton");
    Press(&opened, "CloseButton");
  });
  frm->findChild<QAction*>("PhoneBook")->trigger();
  EXPECT_TRUE(seen);
  auto* tabNames = Find<QComboBox>("PhoneNameTxt");
  ASSERT_EQ(tabNames->count(), 1);
  EXPECT_EQ(tabNames->itemText(0), "Edna");
  EXPECT_EQ(frm->findChild<PhoneBookFrm*>(), nullptr);  // discarded after one use
}

}  // namespace
