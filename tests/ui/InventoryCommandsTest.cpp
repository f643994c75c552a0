// The main window's commands that change DVDs, driven as the user drives them: the toolbar, the
// list's gestures, the dialogs they open and the questions they ask.
#include <QAction>
#include <QLabel>
#include <QTest>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "ui/dialogs/AddEditFrm.h"
#include "ui/dialogs/LoanFrm.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;
using testsupport::ExpectBox;

namespace {

class InventoryCommandsTest : public ReelKeeperFrmTest {
 protected:
  bool ScannerPolling() const { return frm->findChild<QTimer*>("ScannerTimer")->isActive(); }
  QString Stored(const QString& title) const {
    return db.Column("SELECT Status || '|' || Name FROM Inventory WHERE DVDTitle = '" + title + "'")
        .value(0);
  }
  QStringList Titles() const {
    QStringList titles;
    for (int row = 0; row < List()->Model()->rowCount(); ++row)
      titles << List()->Model()->TitleAt(row);
    return titles;
  }
};

TEST_F(InventoryCommandsTest, AddedDVDIsSelectedAndCancelKeepsTheSelection) {
  db.AddDvd("Alien");
  Load();
  Click("Alien");
  bool pollResting = false;
  WhenOpen<AddEditFrm> adding([&](AddEditFrm& dialog) {
    EXPECT_TRUE(dialog.AddMode);
    EXPECT_EQ(Control<QLabel>(&dialog, "Title")->text(), "Add DVD");
    pollResting = !ScannerPolling();
    Fill(&dialog, "TitleTxt", "O'Brien");
    Press(&dialog, "OkButton");
  });
  Button("AddDVD")->trigger();
  EXPECT_TRUE(pollResting);
  EXPECT_TRUE(ScannerPolling());
  EXPECT_EQ(frm->GetSelectedDVD(), "O'Brien");
  EXPECT_EQ(Text("TitleTxt"), "O'Brien");  // the panel follows the new selection

  // A scanned code goes to the dialog (which locks it in its box: AddEditFrmTest).
  WhenOpen<AddEditFrm> addingScanned([](AddEditFrm& dialog) {
    EXPECT_EQ(dialog.BarCode, "0042");
    Press(&dialog, "CancelButton");
  });
  frm->Commands().AddDVD("0042");
  EXPECT_EQ(Titles(), QStringList({"Alien", "O'Brien"}));
  EXPECT_EQ(frm->GetSelectedDVD(), "O'Brien");
}

// Enter edits the selected DVD with its stored values; keeping the title keeps it selected, a new
// title leaves nothing selected.
TEST_F(InventoryCommandsTest, EditKeepsTheSelectionUnlessTheTitleChanged) {
  db.AddDvd("Heat", "Crime", 0, {}, "2000-01-01", "2000-01-01", "7", "R", "Al", "x");
  Load();
  Click("Heat");
  WhenOpen<AddEditFrm> editing([](AddEditFrm& dialog) {
    EXPECT_FALSE(dialog.AddMode);
    EXPECT_EQ(QStringList({dialog.TitleCaption, dialog.BarCode, dialog.Category, dialog.Rated,
                           dialog.Starring, dialog.Description}),
              QStringList({"Edit Heat", "7", "Crime", "R", "Al", "x"}));
    Fill(&dialog, "RatedTxt", "PG");
    Press(&dialog, "OkButton");
  });
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(frm->GetSelectedDVD(), "Heat");
  EXPECT_EQ(Text("RatedTxt"), "PG");

  WhenOpen<AddEditFrm> renaming([](AddEditFrm& dialog) {
    Fill(&dialog, "TitleTxt", "Heat 2");
    Press(&dialog, "OkButton");
  });
  frm->Commands().EditDVD();
  EXPECT_EQ(Titles(), QStringList({"Heat 2"}));
  EXPECT_EQ(frm->GetSelectedDVD(), QString());
  EXPECT_EQ(Text("TitleTxt"), QString());
}

TEST_F(InventoryCommandsTest, DeleteAsksFirstAndTheLastDVDLeavesAnEmptyPanel) {
  db.AddDvd("Schindler's List");
  Load();
  Click("Schindler's List");
  boxes.Answer(MsgAnswer::No);
  Button("DelDVD")->trigger();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], "Are you sure you wish to delete 'Schindler's List'?", "Delete?",
            MsgButtons::YesNo, MsgIcon::Question);
  EXPECT_EQ(Titles().size(), 1);

  boxes.Answer(MsgAnswer::Yes);
  Button("DelDVD")->trigger();
  EXPECT_TRUE(Titles().isEmpty());  // read from the file: the row is gone there too
  EXPECT_EQ(Text("TitleTxt"), QString());
  EXPECT_FALSE(Button("LoanDVD")->isVisible());
}

// A double click lends a DVD in stock through the Loan dialog, with the main window's scanner
// poll running on, and asks before taking a lent one back.
TEST_F(InventoryCommandsTest, DoubleClickLendsOrAsksToTakeBack) {
  db.AddDvd("Heat");
  Load();
  Click("Heat");
  WhenOpen<LoanFrm> lending([&](LoanFrm& dialog) {
    EXPECT_EQ(dialog.TitleCaption, "Loan Heat");
    EXPECT_FALSE(dialog.EditMode);
    EXPECT_TRUE(ScannerPolling());
    Fill(&dialog, "NameTxt", "Ann");
    Fill(&dialog, "DaysDueTxt", "7");
    Press(&dialog, "OkButton");
  });
  emit List()->ItemDoubleClicked();
  EXPECT_EQ(Stored("Heat"), "1|Ann");
  EXPECT_EQ(Text("StatusTxt"), "Loaned");
  EXPECT_EQ(Text("NameTxt"), "Ann");
  EXPECT_EQ(Button("LoanDVD")->text(), "Return DVD");

  boxes.Answer(MsgAnswer::No);
  emit List()->ItemDoubleClicked();
  EXPECT_EQ(Stored("Heat"), "1|Ann");
  boxes.Answer(MsgAnswer::Yes);
  emit List()->ItemDoubleClicked();
  ASSERT_EQ(boxes.Shown().size(), 2u);
  ExpectBox(boxes.Shown()[1],
            "Are you sure you want to return this DVD?\n\n'Heat': Ann has had it since 4/10/2024.",
            "Return DVD?", MsgButtons::YesNo, MsgIcon::Question);
  EXPECT_EQ(Stored("Heat"), "0|");
  EXPECT_EQ(Text("StatusTxt"), "In Stock");
}

// A scanned code works on its own DVD, whatever is selected, and selects it before asking.
TEST_F(InventoryCommandsTest, ScannedCodeTakesBackItsOwnDVD) {
  db.AddDvd("Heat", {}, 1, "Ann", "2024-04-01", "2024-04-20", "0042");
  db.AddDvd("Alien");
  Load();
  Click("Alien");
  QString selectedWhenAsked;
  boxes.OnShow([&] { selectedWhenAsked = frm->GetSelectedDVD() + '|' + Text("TitleTxt"); });
  boxes.Answer(MsgAnswer::Yes);
  frm->Commands().LoanDVD("42");
  frm->Commands().LoanDVD("0042");
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[0].text, "There was an error with the program.");
  EXPECT_EQ(selectedWhenAsked, "Heat|Heat");
  EXPECT_EQ(Stored("Heat"), "0|");
  EXPECT_EQ(frm->GetSelectedDVD(), "Heat");
}

// Deleting a lent DVD forgets its loan: the question says who has it.
TEST_F(InventoryCommandsTest, DeletingALentDVDSaysWhoHasIt) {
  db.AddDvd("Heat", {}, 1, "O'Brien", "2024-04-01", "2024-04-20");
  Load();
  Click("Heat");
  boxes.Answer(MsgAnswer::No);
  Button("DelDVD")->trigger();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text,
            "Are you sure you wish to delete 'Heat'?\n\nO'Brien has had it since 4/1/2024.");
}

TEST_F(InventoryCommandsTest, EditLoanChangesOnlyALentDVDsLoan) {
  db.AddDvd("Heat", {}, 1, "Ann", "2024-04-01", "2024-04-20");
  db.AddDvd("Rented", {}, 2);
  Load();
  Click("Rented");
  Button("EditLoan")->trigger();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], "This DVD has not been loaded.", "ReelKeeper", MsgButtons::Ok,
            MsgIcon::None);

  Click("Heat");
  WhenOpen<LoanFrm> changing([](LoanFrm& dialog) {
    EXPECT_TRUE(dialog.EditMode);
    EXPECT_EQ(dialog.TitleCaption, "Loan Heat");
    Fill(&dialog, "DaysDueTxt", "1");
    Press(&dialog, "OkButton");
  });
  Button("EditLoan")->trigger();
  EXPECT_EQ(db.Column("SELECT Date || '|' || DueDate FROM Inventory WHERE DVDTitle = 'Heat'"),
            QStringList({"2024-04-01|2024-04-11"}));
  EXPECT_EQ(frm->GetSelectedDVD(), "Heat");
}

// A list that no longer showed the table when the command began (written behind its back) is read
// again in full.
TEST_F(InventoryCommandsTest, ListWrittenBehindItsBackIsReadAgainInFull) {
  db.AddDvd("Heat");
  Load();
  Click("Heat");
  db.AddDvd("Behind");
  boxes.Answer(MsgAnswer::Yes);
  Button("DelDVD")->trigger();
  EXPECT_EQ(Titles(), QStringList({"Behind"}));
}

struct Refusal {
  const char* key;
  bool selected;  // a DVD is selected, but it was deleted behind the list
  const char* text;
  MsgButtons buttons;
  MsgIcon icon;
};
void PrintTo(const Refusal& r, std::ostream* os) { *os << r.key << (r.selected ? "Gone" : ""); }

class CommandRefusalTest : public InventoryCommandsTest,
                           public ::testing::WithParamInterface<Refusal> {};

// Without a selection, or with a DVD deleted behind the list, a command says so and writes
// nothing.
TEST_P(CommandRefusalTest, SaysWhyAndChangesNothing) {
  const Refusal& r = GetParam();
  db.AddDvd("Gone", {}, 1, "Ann");
  db.AddDvd("Kept");
  Load();
  if (r.selected) {
    Click("Gone");
    db.Db()->Execute("DELETE FROM Inventory WHERE DVDTitle = 'Gone'");
  }
  frm->findChild<QAction*>(r.key)->trigger();
  ASSERT_FALSE(boxes.Shown().empty());
  ExpectBox(boxes.Shown().back(), r.text, r.selected ? "Error" : "Select A DVD", r.buttons, r.icon);
  EXPECT_EQ(db.Column("SELECT DVDTitle || Status FROM Inventory"),
            r.selected ? QStringList({"Kept0"}) : QStringList({"Gone1", "Kept0"}));
}

constexpr MsgButtons kOk = MsgButtons::Ok;
constexpr MsgButtons kOkCancel = MsgButtons::OkCancel;
constexpr MsgIcon kInfo = MsgIcon::Information;
constexpr MsgIcon kCritical = MsgIcon::Critical;
const Refusal kRefusals[] = {
    {"EditDVD", false, "You must select a DVD before you can edit it.", kOk, kInfo},
    {"DelDVD", false, "You must select a DVD before you can delete it.", kOk, kInfo},
    {"LoanDVD", false, "You must select a DVD if you wish to loan it.", kOk, kInfo},
    {"EditLoan", false, "You must select a DVD if you wish to edit loan info.", kOk, kInfo},
    {"EditDVD", true, "There was an error editing a DVD.", kOkCancel, kCritical},
    {"DelDVD", true, "There was an error deleting a DVD.", kOkCancel, kCritical},
    {"LoanDVD", true, "There was an error with the program.", kOk, kCritical},
    {"EditLoan", true, "There was an error with the program.", kOk, kCritical}};
INSTANTIATE_TEST_SUITE_P(Commands, CommandRefusalTest, ::testing::ValuesIn(kRefusals));

}  // namespace
