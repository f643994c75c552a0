// The main window's commands that change DVDs, driven as the user drives them: the toolbar, the
// list's gestures, the dialogs they open and the questions they ask.
#include <QLabel>
#include <QTest>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "ui/dialogs/AddEditFrm.h"
#include "ui/dialogs/LoanFrm.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;

namespace {

class InventoryCommandsTest : public ReelKeeperFrmTest {
 protected:
  bool ScannerPolling() const {
    return frm->findChild<QTimer*>(QStringLiteral("ScannerTimer"))->isActive();
  }
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
  db.AddDvd(QStringLiteral("Alien"));
  Load();
  Click(QStringLiteral("Alien"));
  bool pollResting = false;
  WhenOpen<AddEditFrm>([&](AddEditFrm& dialog) {
    EXPECT_TRUE(dialog.AddMode);
    EXPECT_EQ(Control<QLabel>(&dialog, QStringLiteral("Title"))->text(), "Add DVD");
    pollResting = !ScannerPolling();
    Fill(&dialog, QStringLiteral("TitleTxt"), QStringLiteral("O'Brien"));
    Press(&dialog, QStringLiteral("OkButton"));
  });
  Button(QStringLiteral("AddDVD"))->trigger();
  EXPECT_TRUE(pollResting);
  EXPECT_TRUE(ScannerPolling());
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("O'Brien"));
  EXPECT_EQ(Text(QStringLiteral("StatusTxt")), QStringLiteral("In Stock"));

  // A scanned code comes locked into the box.
  WhenOpen<AddEditFrm>([](AddEditFrm& dialog) {
    EXPECT_FALSE(Control(&dialog, QStringLiteral("BarCodeTxt"))->isEnabled());
    EXPECT_EQ(dialog.BarCode, QStringLiteral("0042"));
    Press(&dialog, QStringLiteral("CancelButton"));
  });
  frm->AddDVD(QStringLiteral("0042"));
  EXPECT_EQ(Titles(), QStringList({"Alien", "O'Brien"}));
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("O'Brien"));
}

// Enter edits the selected DVD with its stored values; keeping the title keeps it selected, a new
// title leaves nothing selected.
TEST_F(InventoryCommandsTest, EditKeepsTheSelectionUnlessTheTitleChanged) {
  db.AddDvd(QStringLiteral("Heat"), QStringLiteral("Crime"), 0, {}, "2000-01-01", "2000-01-01",
            QStringLiteral("7"), QStringLiteral("R"), QStringLiteral("Al"), QStringLiteral("x"));
  Load();
  Click(QStringLiteral("Heat"));
  WhenOpen<AddEditFrm>([](AddEditFrm& dialog) {
    EXPECT_FALSE(dialog.AddMode);
    EXPECT_EQ(QStringList({dialog.TitleCaption, dialog.BarCode, dialog.Category, dialog.Rated,
                           dialog.Starring, dialog.Description}),
              QStringList({"Edit Heat", "7", "Crime", "R", "Al", "x"}));
    Fill(&dialog, QStringLiteral("RatedTxt"), QStringLiteral("PG"));
    Press(&dialog, QStringLiteral("OkButton"));
  });
  QTest::keyClick(List(), Qt::Key_Return);
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("Heat"));
  EXPECT_EQ(Text(QStringLiteral("RatedTxt")), QStringLiteral("PG"));

  WhenOpen<AddEditFrm>([](AddEditFrm& dialog) {
    Fill(&dialog, QStringLiteral("TitleTxt"), QStringLiteral("Heat 2"));
    Press(&dialog, QStringLiteral("OkButton"));
  });
  frm->EditDVD();
  EXPECT_EQ(Titles(), QStringList({"Heat 2"}));
  EXPECT_EQ(frm->GetSelectedDVD(), QString());
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QString());
}

TEST_F(InventoryCommandsTest, DeleteAsksFirstAndTheLastDVDLeavesAnEmptyPanel) {
  db.AddDvd(QStringLiteral("Schindler's List"));
  Load();
  Click(QStringLiteral("Schindler's List"));
  boxes.Answer(MsgAnswer::No);
  Button(QStringLiteral("DelDVD"))->trigger();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], QStringLiteral("Are you sure you wish to delete 'Schindler's List'?"),
            QStringLiteral("Delete?"), MsgButtons::YesNo, MsgIcon::Question);
  EXPECT_EQ(Titles().size(), 1);

  boxes.Answer(MsgAnswer::Yes);
  Button(QStringLiteral("DelDVD"))->trigger();
  EXPECT_TRUE(Titles().isEmpty());
  EXPECT_EQ(db.Column("SELECT count(*) FROM Inventory"), QStringList({"0"}));
  EXPECT_EQ(Text(QStringLiteral("TitleTxt")), QString());
  EXPECT_FALSE(Button(QStringLiteral("LoanDVD"))->isVisible());
}

// A double click lends a DVD in stock through the Loan dialog, with the main window's scanner
// poll running on, and asks before taking a lent one back.
TEST_F(InventoryCommandsTest, DoubleClickLendsOrAsksToTakeBack) {
  db.AddDvd(QStringLiteral("Heat"));
  Load();
  Click(QStringLiteral("Heat"));
  WhenOpen<LoanFrm>([&](LoanFrm& dialog) {
    EXPECT_EQ(dialog.TitleCaption, QStringLiteral("Loan Heat"));
    EXPECT_FALSE(dialog.EditMode);
    EXPECT_TRUE(ScannerPolling());
    Fill(&dialog, QStringLiteral("NameTxt"), QStringLiteral("Ann"));
    Fill(&dialog, QStringLiteral("DaysDueTxt"), QStringLiteral("-3"));
    Press(&dialog, QStringLiteral("OkButton"));
  });
  emit List()->ItemDoubleClicked();
  EXPECT_EQ(Stored(QStringLiteral("Heat")), QStringLiteral("1|Ann"));
  EXPECT_EQ(Text(QStringLiteral("StatusTxt")), QStringLiteral("Loaned - 3 day(s) Overdue"));
  EXPECT_EQ(Text(QStringLiteral("NameTxt")), QStringLiteral("Ann"));
  EXPECT_EQ(Button(QStringLiteral("LoanDVD"))->text(), QStringLiteral("Return DVD"));

  boxes.Answer(MsgAnswer::No);
  emit List()->ItemDoubleClicked();
  EXPECT_EQ(Stored(QStringLiteral("Heat")), QStringLiteral("1|Ann"));
  boxes.Answer(MsgAnswer::Yes);
  emit List()->ItemDoubleClicked();
  ASSERT_EQ(boxes.Shown().size(), 2u);
  ExpectBox(boxes.Shown()[1], QStringLiteral("Are you sure you want to return this DVD?"),
            QStringLiteral("Return DVD?"), MsgButtons::YesNo, MsgIcon::Question);
  EXPECT_EQ(Stored(QStringLiteral("Heat")), QStringLiteral("0|"));
  EXPECT_EQ(Text(QStringLiteral("StatusTxt")), QStringLiteral("In Stock"));
}

// A scanned code works on its own DVD, whatever is selected.
TEST_F(InventoryCommandsTest, ScannedCodeTakesBackItsOwnDVD) {
  db.AddDvd(QStringLiteral("Heat"), {}, 1, QStringLiteral("Ann"), "2024-04-01", "2024-04-20",
            QStringLiteral("0042"));
  db.AddDvd(QStringLiteral("Alien"));
  Load();
  Click(QStringLiteral("Alien"));
  boxes.Answer(MsgAnswer::Yes);
  frm->LoanDVD(QStringLiteral("42"));
  frm->LoanDVD(QStringLiteral("0042"));
  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[0].text, QStringLiteral("There was an error with the program."));
  EXPECT_EQ(Stored(QStringLiteral("Heat")), QStringLiteral("0|"));
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("Alien"));
}

TEST_F(InventoryCommandsTest, EditLoanChangesOnlyALentDVDsLoan) {
  db.AddDvd(QStringLiteral("Heat"), {}, 1, QStringLiteral("Ann"), "2024-04-01", "2024-04-20");
  db.AddDvd(QStringLiteral("Rented"), {}, 2);
  Load();
  Click(QStringLiteral("Rented"));
  Button(QStringLiteral("EditLoan"))->trigger();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], QStringLiteral("This DVD has not been loaded."),
            QStringLiteral("ReelKeeper"), MsgButtons::Ok, MsgIcon::None);

  Click(QStringLiteral("Heat"));
  WhenOpen<LoanFrm>([](LoanFrm& dialog) {
    EXPECT_TRUE(dialog.EditMode);
    EXPECT_EQ(dialog.TitleCaption, QStringLiteral("Loan Heat"));
    Fill(&dialog, QStringLiteral("DaysDueTxt"), QStringLiteral("1"));
    Press(&dialog, QStringLiteral("OkButton"));
  });
  Button(QStringLiteral("EditLoan"))->trigger();
  EXPECT_EQ(db.Column("SELECT Date || '|' || DueDate FROM Inventory WHERE DVDTitle = 'Heat'"),
            QStringList({"2024-04-01|2024-04-11"}));
  EXPECT_EQ(frm->GetSelectedDVD(), QStringLiteral("Heat"));
}

// A list that no longer showed the table when the command began (written behind its back) is read
// again in full.
TEST_F(InventoryCommandsTest, ListWrittenBehindItsBackIsReadAgainInFull) {
  db.AddDvd(QStringLiteral("Heat"));
  Load();
  Click(QStringLiteral("Heat"));
  db.AddDvd(QStringLiteral("Behind"));
  boxes.Answer(MsgAnswer::Yes);
  Button(QStringLiteral("DelDVD"))->trigger();
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
  db.AddDvd(QStringLiteral("Gone"), {}, 1, QStringLiteral("Ann"));
  db.AddDvd(QStringLiteral("Kept"));
  Load();
  if (r.selected) {
    Click(QStringLiteral("Gone"));
    db.Db()->Execute(QStringLiteral("DELETE FROM Inventory WHERE DVDTitle = 'Gone'"));
  }
  frm->ButtonClick(QString::fromUtf8(r.key));
  ASSERT_FALSE(boxes.Shown().empty());
  ExpectBox(boxes.Shown().back(), QString::fromUtf8(r.text), r.selected ? "Error" : "Select A DVD",
            r.buttons, r.icon);
  EXPECT_EQ(db.Column("SELECT DVDTitle || Status FROM Inventory"),
            r.selected ? QStringList({"Kept0"}) : QStringList({"Gone1", "Kept0"}));
}

constexpr MsgIcon kInfo = MsgIcon::Information;
constexpr MsgIcon kCritical = MsgIcon::Critical;
INSTANTIATE_TEST_SUITE_P(
    Commands, CommandRefusalTest,
    ::testing::Values(
        Refusal{"EditDVD", false, "You must select a DVD before you can edit it.", MsgButtons::Ok,
                kInfo},
        Refusal{"DelDVD", false, "You must select a DVD before you can delete it.", MsgButtons::Ok,
                kInfo},
        Refusal{"LoanDVD", false, "You must select a DVD if you wish to loan it.", MsgButtons::Ok,
                kInfo},
        Refusal{"EditLoan", false, "You must select a DVD if you wish to edit loan info.",
                MsgButtons::Ok, kInfo},
        Refusal{"EditDVD", true, "There was an error editing a DVD.", MsgButtons::OkCancel,
                kCritical},
        Refusal{"DelDVD", true, "There was an error deleting a DVD.", MsgButtons::OkCancel,
                kCritical},
        Refusal{"LoanDVD", true, "There was an error with the program.", MsgButtons::Ok, kCritical},
        Refusal{"EditLoan", true, "There was an error with the program.", MsgButtons::Ok,
                kCritical}));

}  // namespace
