#include "ui/dialogs/AddEditFrm.h"

#include <QTest>
#include <map>

#include "DialogDriver.h"
#include "ui/dialogs/LoanFrm.h"

using seams::MsgButtons;
using seams::MsgIcon;
using testsupport::ExpectBox;

namespace {

class AddEditFrmTest : public DialogTest<AddEditFrm> {
 protected:
  void SetUp() override {
    DialogTest::SetUp();
    db.AddDvd("star wars", "Sci-Fi");
    db.AddDvd("Alien", "Horror", 0, {}, "2000-01-01", "2000-01-01", "222", "R");
  }

  // Opens the dialog for a new DVD (no title) or for the stored DVD of that title.
  AddEditFrm& Open(const QString& edited) {
    frm = std::make_unique<AddEditFrm>();
    frm->AddMode = edited.isEmpty();
    frm->TitleCaption = edited.isEmpty() ? "Add DVD" : "Edit " + edited;
    frm->DVDTitle = edited;
    frm->show();
    frm->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    return *frm;
  }
  void Click(const char* button) const { Press(frm.get(), button); }
  QStringList Stored() const {
    return db.Column(
        "SELECT DVDTitle || '|' || Category || '|' || Rated || '|' || BarCode || '|' || "
        "Description || '|' || Status FROM Inventory ORDER BY rowid");
  }
};

// The refusals by their titles: text and icon.
const std::map<QString, std::pair<const char*, MsgIcon>> kRefusals = {
    {"Enter Title", {"You need to enter a title for the DVD.", MsgIcon::Exclamation}},
    {"Enter Another Title",
     {"There is a DVD with the title you entered. Please enter another title.",
      MsgIcon::Exclamation}},
    {"Bar Code Already Entered",
     {"There is already a DVD with the barcode you have entered. Please re-enter.",
      MsgIcon::Information}}};

struct SaveCase {
  const char* name;
  const char* edited;  // empty: a new DVD
  const char* title;
  const char* barCode;
  const char* message;
  const char* focus;
};
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class AddEditSaveTest : public AddEditFrmTest, public ::testing::WithParamInterface<SaveCase> {};

// A refused save shows its message, writes nothing and keeps the dialog open with what was
// typed. Which write is refused is the inventory owner's (InventoryWritesTest), an accepted save
// the closing test's below; here each refusal becomes its message.
TEST_P(AddEditSaveTest, SavesOrRefusesWithTheMessage) {
  const SaveCase& c = GetParam();
  Open(c.edited);
  Fill(frm.get(), "TitleTxt", c.title);
  Fill(frm.get(), "BarCodeTxt", c.barCode);
  Box<QComboBox>("RatedTxt")->setFocus();
  const QStringList before = Stored();
  Click("OkButton");
  const QString message = c.message;
  ASSERT_EQ(boxes.Shown().size(), 1u);
  const auto& [text, icon] = kRefusals.at(message);
  ExpectBox(boxes.Shown()[0], text, message, MsgButtons::Ok, icon);
  EXPECT_EQ(Stored(), before);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(Box("TitleTxt")->text(), c.title);
  EXPECT_EQ(frm->focusWidget() ? frm->focusWidget()->objectName() : QString(), c.focus);
}

INSTANTIATE_TEST_SUITE_P(Rules, AddEditSaveTest,
                         ::testing::Values(SaveCase{"EmptyTitle", "", "", "", "Enter Title",
                                                    "RatedTxt"},
                                           SaveCase{"TitleInAnotherCase", "", "ALIEN", "",
                                                    "Enter Another Title", "TitleTxt"},
                                           SaveCase{"UsedBarCode", "", "Heat", "222",
                                                    "Bar Code Already Entered", "BarCodeTxt"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Cancel, Esc and the X leave without writing; a close asked for by the window manager saves as
// Ok does.
TEST_F(AddEditFrmTest, CancelEscAndXLeaveWithoutWritingAndAWindowManagerCloseSaves) {
  const std::function<void()> ways[] = {
      [&] { Click("CancelButton"); },
      [&] { QTest::keyClick(Box<QComboBox>("StarringTxt")->lineEdit(), Qt::Key_Escape); },
      [&] { QTest::mouseClick(Box<QLabel>("XButton"), Qt::LeftButton); }, [&] { frm->close(); }};
  for (size_t way = 0; way < std::size(ways); ++way) {
    SCOPED_TRACE(way);
    Open({});
    Fill(frm.get(), "TitleTxt", "Heat");
    ways[way]();
    const bool saved = way == std::size(ways) - 1;
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(frm->Cancelled, !saved);
    EXPECT_EQ(db.Column("SELECT count(*) FROM Inventory WHERE DVDTitle = 'Heat'"),
              QStringList({saved ? "1" : "0"}));
  }
}

TEST_F(AddEditFrmTest, EditedDVDDeletedBehindTheDialogSaysErrorAndStaysOpen) {
  Open("star wars");
  db.Db()->Execute("DELETE FROM Inventory WHERE DVDTitle = 'star wars'");
  Click("OkButton");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], "Error", "ReelKeeper", MsgButtons::Ok, MsgIcon::None);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(Stored().size(), 1);
  Click("CancelButton");
  EXPECT_FALSE(frm->isVisible());
}

// What the lists hold is ChoiceListsTest's (and typing "ho" below finds Horror in the category
// list); filling them must leave the caller's texts in the boxes. A code the caller gives (a scan)
// is locked in its box.
TEST_F(AddEditFrmTest, CallersTextsStayWhenTheChoiceListsAreFilled) {
  frm = std::make_unique<AddEditFrm>();
  frm->DVDTitle = "Alien";
  frm->Category = "horror";
  frm->Rated = "NC-17";
  frm->BarCode = "0042";
  frm->show();
  EXPECT_EQ(QStringList({Box<QComboBox>("CategoryTxt")->currentText(),
                         Box<QComboBox>("RatedTxt")->currentText(), Box("BarCodeTxt")->text()}),
            QStringList({"horror", "NC-17", "0042"}));
  EXPECT_FALSE(Box("BarCodeTxt")->isEnabled());
  EXPECT_TRUE(frm->findChild<QTimer*>("CheckCheck")->isActive());
}

// A drop-down holds a screenful of stored values at first and reads on as it is scrolled or
// stepped through with the arrow keys; typing completes from the whole list, also from values
// not read yet.
TEST_F(AddEditFrmTest, ChoiceListReadsOnWhenScrolledAndCompletesFromTheWholeList) {
  for (int i = 0; i < 150; ++i)
    db.AddDvd(QString::number(i), {}, 0, {}, {}, {}, {}, {},
              QStringLiteral("S%1").arg(i, 3, 10, QChar('0')));
  Open({});
  auto* stars = Box<QComboBox>("StarringTxt");
  EXPECT_LT(stars->count(), 150);
  QTest::keyClicks(stars->lineEdit(), "s14");
  EXPECT_EQ(stars->currentText(), "S140");
  stars->setCurrentIndex(0);
  for (int i = 0; i < 149; ++i) QTest::keyClick(stars->lineEdit(), Qt::Key_Down);
  EXPECT_EQ(stars->currentText(), "S149");
  EXPECT_EQ(stars->count(), 150);
}

// Enter starts a new line in the description (stored with CR LF) and saves anywhere else; typing
// in a choice box completes from the stored values.
TEST_F(AddEditFrmTest, EnterStartsANewLineInTheDescriptionAndSavesElsewhere) {
  Open({});
  QTest::keyClicks(Box("TitleTxt"), "Heat");
  QTest::keyClicks(Box<QComboBox>("CategoryTxt")->lineEdit(), "ho");
  auto* description = Box<QPlainTextEdit>("DescriptionTxt");
  description->setFocus();
  QTest::keyClicks(description, "a");
  QTest::keyClick(description, Qt::Key_Return);
  QTest::keyClicks(description, "b");
  EXPECT_TRUE(frm->isVisible());
  Box("TitleTxt")->setFocus();
  QTest::keyClick(Box("TitleTxt"), Qt::Key_Return);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(frm->DVDTitle, "Heat");
  EXPECT_EQ(Stored().last(), "Heat|Horror|||a\r\nb|0");
}

// Where a window stands when it is shown: one moved while the window manager maps it can be
// reported to screen readers at the screen's corner.
struct ShownAt : QObject {
  QPoint at{-1, -1};
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) at = static_cast<QWidget*>(watched)->pos();
    return false;
  }
};

// Both dialogs can be read and operated without seeing them: every label names its control, Tab
// walks the controls in the designed order, and they are in their place before they are shown.
TEST_F(AddEditFrmTest, DialogsAreReadableAndTabInTheirOrder) {
  struct Dialog {
    std::unique_ptr<SavingDialog> window;
    QStringList order;
  };
  Dialog dialogs[] = {{std::make_unique<AddEditFrm>(),
                       {"TitleTxt", "CategoryTxt", "RatedTxt", "StarringTxt", "BarCodeTxt",
                        "DescriptionTxt", "OkButton", "CancelButton"}},
                      {std::make_unique<LoanFrm>(),
                       {"NameTxt", "AddressTxt", "CityTxt", "StateTxt", "ZipTxt", "PhoneTxt",
                        "FaxTxt", "CellTxt", "EmailTxt", "OutDateTxt", "DaysDueTxt", "DueDateTxt",
                        "NotesTxt", "OkButton", "CancelButton", "RemoveButton"}}};
  for (Dialog& dialog : dialogs) {
    SavingDialog* window = dialog.window.get();
    ShownAt shown;
    window->installEventFilter(&shown);
    window->show();
    SCOPED_TRACE(qPrintable(window->objectName()));
    EXPECT_NE(shown.at, QPoint(0, 0));
    EXPECT_EQ(shown.at, window->pos());
    EXPECT_GT(ExpectReadableControls(window), 0);
    QStringList walked;
    QWidget* w = Control(window, dialog.order[0]);
    for (int steps = 0; steps < 200 && walked.size() < dialog.order.size();
         ++steps, w = w->nextInFocusChain()) {
      const QString name = w->objectName();
      if (w->focusPolicy() & Qt::TabFocus && !name.isEmpty() && !name.startsWith(u"qt_")) {
        walked << w->objectName();
      }
    }
    EXPECT_EQ(walked, dialog.order);
  }
}

}  // namespace
