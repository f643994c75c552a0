#include "ui/phonebook/PhoneBookFrm.h"

#include <QAccessible>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ReelKeeperFrmFixture.h"
#include "settings/SettingsManager.h"

using seams::MsgAnswer;

namespace {

class PhoneBookFrmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FormHelpers::ResetTypeAhead();
    db.AddCustomer(QStringLiteral("Bob"), QStringLiteral("555-0001"));
    db.AddCustomer(QStringLiteral("Carl"), QStringLiteral("555-0002"));
  }

  PhoneBookFrm& Open() {
    window = std::make_unique<PhoneBookFrm>();
    EXPECT_TRUE(window->LoadForm());
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    return *window;
  }

  template <class T = QWidget>
  T* Find(const QString& name) const {
    T* found = window->findChild<T*>(name);
    EXPECT_NE(found, nullptr) << qPrintable(name);
    return found;
  }
  QLineEdit* NameTxt() const { return Find<QLineEdit>(QStringLiteral("NameTxt")); }
  QListWidget* NameList() const { return Find<QListWidget>(QStringLiteral("NameList")); }
  QString Phone() const { return Find<QLineEdit>(QStringLiteral("PhonePhoneTxt"))->text(); }
  void Type(const QString& text) { QTest::keyClicks(NameTxt(), text); }
  void Press(const char* button) {
    QTest::mouseClick(Find<QPushButton>(QString::fromUtf8(button)), Qt::LeftButton);
  }
  QStringList Items() const {
    QStringList items;
    for (int i = 0; i < NameList()->count(); ++i) items << NameList()->item(i)->text();
    return items;
  }
  QStringList Stored(const QString& column) const {
    return db.Column(QStringLiteral("SELECT %1 FROM Customers ORDER BY rowid").arg(column));
  }
  QWidget* Separator() const { return Find(QStringLiteral("SeparatorButton")); }
  void DragSeparator(int dx) {
    QWidget* separator = Separator();
    const QPoint grip(separator->width() / 2, 40);
    QTest::mousePress(separator, Qt::LeftButton, {}, grip);
    QTest::mouseMove(separator, grip + QPoint(dx, 0));
    QTest::mouseRelease(separator, Qt::LeftButton, {}, grip + QPoint(dx, 0));
  }

  testsupport::TempDatabase db;
  testsupport::ScriptedMessageBox boxes;
  std::unique_ptr<PhoneBookFrm> window;
};

TEST_F(PhoneBookFrmTest, OpensWithEveryNameEmptyBoxesAndTheDesignedTabOrder) {
  Open();
  EXPECT_EQ(window->windowTitle(), QStringLiteral("Phone Book"));
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl"}));
  EXPECT_EQ(NameTxt()->text(), QString());
  EXPECT_EQ(Phone(), QString());

  const QStringList order = {"NameTxt",       "NameList",      "PhoneAddressTxt", "PhoneCityTxt",
                             "PhoneStateTxt", "PhoneZipTxt",   "PhonePhoneTxt",   "PhoneFaxTxt",
                             "PhoneCellTxt",  "PhoneNotesTxt", "SaveButton",      "DeleteButton",
                             "CloseButton"};
  QStringList chain;
  QWidget* w = NameTxt();
  do {
    if (order.contains(w->objectName()) && !chain.contains(w->objectName()))
      chain << w->objectName();
    w = w->nextInFocusChain();
  } while (w != NameTxt());
  EXPECT_EQ(chain, order);
}

TEST_F(PhoneBookFrmTest, TypingCompletesFromTheListAndShowsTheEntry) {
  Open();
  Type(QStringLiteral("c"));
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("Carl"));
  EXPECT_EQ(NameTxt()->selectedText(), QStringLiteral("arl"));
  EXPECT_EQ(NameList()->currentRow(), 1);
  EXPECT_EQ(Phone(), QStringLiteral("555-0002"));

  Type(QStringLiteral("x"));  // replaces the completed part: no such name
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("Cx"));
  EXPECT_EQ(Phone(), QString());
}

TEST_F(PhoneBookFrmTest, PickingANameByMouseOrKeyboardFillsTheBoxAndTheEntry) {
  Open();
  QListWidget* list = NameList();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(0)).center());
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("Bob"));
  EXPECT_EQ(Phone(), QStringLiteral("555-0001"));

  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("Carl"));
  EXPECT_EQ(Phone(), QStringLiteral("555-0002"));

  // A click on the row that is current already picks it again.
  NameTxt()->setText(QStringLiteral("Someone"));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualItemRect(list->item(1)).center());
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("Carl"));
}

TEST_F(PhoneBookFrmTest, ClickingIntoTheNameBoxShowsTheStoredEntryAgain) {
  Open();
  Type(QStringLiteral("Bob"));
  Find<QLineEdit>(QStringLiteral("PhonePhoneTxt"))->setText(QStringLiteral("edited"));
  db.Db()->Execute(QStringLiteral("UPDATE Customers SET Phone = '555-0101' WHERE Name = 'Bob'"));
  QTest::mouseClick(NameTxt(), Qt::LeftButton);
  EXPECT_EQ(Phone(), QStringLiteral("555-0101"));
}

// Like the main window's tab, the window keeps apostrophes: O'Brien is a name, and the SQL
// doubles the quote.
TEST_F(PhoneBookFrmTest, NewNameIsSavedWithoutAQuestionApostropheIncluded) {
  Open();
  Type(QStringLiteral("O'Brien"));
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("O'Brien"));
  Find<QLineEdit>(QStringLiteral("PhoneCityTxt"))->setText(QStringLiteral("Cork"));
  Press("SaveButton");

  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(Stored(QStringLiteral("Name")), (QStringList{"Bob", "Carl", "O'Brien"}));
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl", "O'Brien"}));
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("O'Brien"));
  EXPECT_EQ(Find<QLineEdit>(QStringLiteral("PhoneCityTxt"))->text(), QStringLiteral("Cork"));
}

TEST_F(PhoneBookFrmTest, AnsweringNoToOverwritingShowsTheStoredEntryAgain) {
  Open();
  Type(QStringLiteral("b"));  // completes to Bob
  Find<QLineEdit>(QStringLiteral("PhonePhoneTxt"))->setText(QStringLiteral("555-0009"));
  boxes.Answer(MsgAnswer::No);
  Press("SaveButton");

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("Confirm"));
  EXPECT_EQ(Stored(QStringLiteral("Phone")), (QStringList{"555-0001", "555-0002"}));
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("Bob"));
  EXPECT_EQ(Phone(), QStringLiteral("555-0001"));
}

TEST_F(PhoneBookFrmTest, DeletingKeepsTheNameAndEmptiesTheFields) {
  Open();
  Type(QStringLiteral("Bob"));
  boxes.Answer(MsgAnswer::Yes);
  Press("DeleteButton");

  EXPECT_EQ(Stored(QStringLiteral("Name")), QStringList{"Carl"});
  EXPECT_EQ(Items(), QStringList{"Carl"});
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("Bob"));
  EXPECT_EQ(Phone(), QString());
}

TEST_F(PhoneBookFrmTest, AFailingFileIsReportedAndTheWindowKeepsWhatWasTyped) {
  QTemporaryDir folder;  // the report is also logged, in the current folder
  const QString previous = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(folder.path()));
  Open();
  db.Db()->Execute(
      QStringLiteral("CREATE TRIGGER full BEFORE INSERT ON Customers BEGIN SELECT RAISE(ABORT, "
                     "'disk full'); END"));
  Type(QStringLiteral("Dora"));
  Find<QLineEdit>(QStringLiteral("PhoneCityTxt"))->setText(QStringLiteral("Oslo"));
  Press("SaveButton");
  QDir::setCurrent(previous);

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("Error"));
  EXPECT_TRUE(boxes.Shown()[0].text.startsWith(
      QStringLiteral("The phone book could not be read or changed.")));
  EXPECT_TRUE(boxes.Shown()[0].text.contains(QStringLiteral("disk full")));
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(NameTxt()->text(), QStringLiteral("Dora"));
  EXPECT_EQ(Find<QLineEdit>(QStringLiteral("PhoneCityTxt"))->text(), QStringLiteral("Oslo"));
  EXPECT_EQ(Stored(QStringLiteral("Name")).size(), 2);
}

class SeparatorClampTest : public PhoneBookFrmTest, public ::testing::WithParamInterface<int> {};

TEST_P(SeparatorClampTest, DraggingFarStopsAtAnEighthFromEitherEdge) {
  Open();
  window->resize(700, 500);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == 700; }));
  DragSeparator(GetParam());

  const float expected = GetParam() < 0 ? 0.125f : 0.875f;
  EXPECT_FLOAT_EQ(window->SeparatorRatio, expected);
  QWidget* separator = Separator();
  QWidget* frame = Find(QStringLiteral("InfoFrame"));
  const QRect band(NameTxt()->x(), NameTxt()->y(), frame->geometry().right() + 1 - NameTxt()->x(),
                   NameList()->geometry().bottom() + 1 - NameTxt()->y());
  EXPECT_NEAR(separator->x() + separator->width() / 2.0 - band.x(), band.width() * expected, 1.0);
  EXPECT_EQ(NameTxt()->geometry().right() + 1, separator->x());
  EXPECT_EQ(NameList()->width(), NameTxt()->width());
  EXPECT_EQ(frame->x(), separator->geometry().right() + 1);
}

INSTANTIATE_TEST_SUITE_P(BothWays, SeparatorClampTest, ::testing::Values(-3000, 3000));

TEST_F(PhoneBookFrmTest, NotesFollowTheHeightAndTheButtonsStayOnTheFramesBottomEdge) {
  Open();
  auto* notes = Find<QPlainTextEdit>(QStringLiteral("PhoneNotesTxt"));
  QWidget* frame = Find(QStringLiteral("InfoFrame"));
  QWidget* address = Find(QStringLiteral("PhoneAddressTxt"));
  for (const int height : {450, 650}) {
    window->resize(760, height);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->height() == height; }));
    for (const char* button : {"SaveButton", "DeleteButton", "CloseButton"}) {
      EXPECT_EQ(Find(QString::fromUtf8(button))->geometry().bottom() + 1, frame->height());
    }
    EXPECT_EQ(notes->geometry().bottom() + 1 + 4, Find(QStringLiteral("SaveButton"))->y());
    EXPECT_EQ(address->geometry().right() + 1, frame->width());
    EXPECT_EQ(notes->width(), address->width());
  }
}

TEST(PhoneBookLayoutTest, ATinyWindowGivesZeroSizesNeverNegativeOnes) {
  const PhoneBookLayout::Placement placed = PhoneBookLayout::Place(QRect(6, 6, 0, 0), 0.5, 6, 24);
  for (const QRect& part : {placed.separator, placed.nameList, placed.infoFrame}) {
    EXPECT_GE(part.width(), 0);
    EXPECT_GE(part.height(), 0);
  }
  EXPECT_EQ(placed.nameTxt.width(), 0);
  const PhoneBookLayout::FrameParts parts = PhoneBookLayout::PlaceInFrame({0, 0}, 60, 200, 30, 4);
  EXPECT_EQ(parts.boxWidth, 0);
  EXPECT_EQ(parts.notesHeight, 0);
}

TEST(PhoneBookLayoutTest, TheHalvesShareTheBandAtTheRatio) {
  const PhoneBookLayout::Placement placed =
      PhoneBookLayout::Place(QRect(10, 20, 800, 400), 0.25, 6, 24);
  EXPECT_EQ(placed.separator, QRect(207, 20, 6, 400));
  EXPECT_EQ(placed.nameTxt, QRect(10, 20, 197, 24));
  EXPECT_EQ(placed.nameList, QRect(10, 44, 197, 376));
  EXPECT_EQ(placed.infoFrame, QRect(213, 20, 597, 400));
}

TEST_F(PhoneBookFrmTest, SeparatorAndPlacementAreKeptBetweenOpenings) {
  Open();
  window->setGeometry(40, 50, 720, 480);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == 720; }));
  DragSeparator(-100);
  const float ratio = window->SeparatorRatio;
  const QRect placed = window->geometry();
  window->close();

  Open();
  EXPECT_FLOAT_EQ(window->SeparatorRatio, ratio);
  EXPECT_EQ(window->geometry(), placed);
  EXPECT_EQ(window->windowState(), Qt::WindowNoState);
}

// A modal window that opened minimized would leave the main window blocked, with nothing on the
// screen to restore.
TEST_F(PhoneBookFrmTest, AWindowStoredMinimizedOpensNormalAndAStrayRatioIsPulledIn) {
  SettingsManager::WriteSetting(QStringLiteral("PhoneBookFrmWindowState"), qint32(1));
  SettingsManager::WriteSetting(QStringLiteral("PhoneBookFrmSeparatorRatio"), 5.0f);
  Open();
  EXPECT_FALSE(window->windowState() & Qt::WindowMinimized);
  EXPECT_FLOAT_EQ(window->SeparatorRatio, 0.875f);
  EXPECT_LT(Separator()->geometry().right(), window->width());
}

TEST_F(PhoneBookFrmTest, HintsInItsOwnStatusBarAndLabelsNameTheirBoxes) {
  Open();
  window->setGeometry(20, 20, 700, 500);
  ASSERT_TRUE(QTest::qWaitFor([&] { return window->width() == 700; }));
  auto* bar = Find<QStatusBar>(QStringLiteral("MessBar"));
  QWidget* zip = Find(QStringLiteral("PhoneZipTxt"));
  QCursor::setPos(zip->mapToGlobal(zip->rect().center()));
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return bar->currentMessage() ==
           QStringLiteral("The zip-code of the person you are loaning your DVD to.");
  }));

  int labels = 0;
  for (QLabel* label : window->findChildren<QLabel*>()) {
    if (!label->objectName().endsWith(u"Lbl")) continue;
    ++labels;
    ASSERT_NE(label->buddy(), nullptr) << qPrintable(label->objectName());
    QAccessibleInterface* box = QAccessible::queryAccessibleInterface(label->buddy());
    EXPECT_EQ(box->text(QAccessible::Name), label->text());
  }
  EXPECT_EQ(labels, 8);
  EXPECT_EQ(QAccessible::queryAccessibleInterface(NameTxt())->text(QAccessible::Name),
            QStringLiteral("Name"));
}

// The toolbar's command, end to end: the window is modal, and what it saved is in the main
// window's phone book tab once it closes.
class PhoneBookCommandTest : public ReelKeeperFrmTest {};

TEST_F(PhoneBookCommandTest, OpensTheWindowModallyAndRefreshesTheTabAfterwards) {
  Load();
  bool seen = false;
  QTimer::singleShot(0, [&] {
    auto* opened = qobject_cast<PhoneBookFrm*>(QApplication::activeModalWidget());
    ASSERT_NE(opened, nullptr);
    seen = true;
    QTest::keyClicks(opened->findChild<QLineEdit*>(QStringLiteral("NameTxt")),
                     QStringLiteral("Edna"));
    QTest::mouseClick(opened->findChild<QPushButton*>(QStringLiteral("SaveButton")),
                      Qt::LeftButton);
    QTest::mouseClick(opened->findChild<QPushButton*>(QStringLiteral("CloseButton")),
                      Qt::LeftButton);
  });
  frm->ButtonClick(QStringLiteral("PhoneBook"));
  EXPECT_TRUE(seen);
  auto* tabNames = Find<QComboBox>(QStringLiteral("PhoneNameTxt"));
  ASSERT_EQ(tabNames->count(), 1);
  EXPECT_EQ(tabNames->itemText(0), QStringLiteral("Edna"));
  EXPECT_EQ(frm->findChild<PhoneBookFrm*>(), nullptr);  // discarded after one use
}

}  // namespace
