#include "ui/dialogs/LoanFrm.h"

#include <QDateEdit>
#include <QTest>

#include "DialogDriver.h"
#include "app/DatabaseError.h"
#include "inventory/InventoryRecords.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;
using testsupport::ExpectBox;

namespace {

class LoanFrmTest : public DialogTest<LoanFrm> {
 protected:
  static QDate Today() { return QDate(2024, 3, 10); }

  void SetUp() override {
    DialogTest::SetUp();
    db.AddDvd("Heat");
    db.Db()->Execute(
        "INSERT INTO Customers VALUES ('Ann O''Neil', '1 Main St', 'Springfield', 'IL', '62701', "
        "'555-0100', '555-0101', '555-0102', 'Two cats', 'ann@example.org')");
  }

  LoanFrm& Open(bool editMode = false) {
    frm = std::make_unique<LoanFrm>(db);
    frm->DVDTitle = "Heat";
    frm->TitleCaption = "Loan Heat";
    frm->EditMode = editMode;
    const auto state = InventoryFunctions::FindLoanState(db, "Heat");
    frm->Seen = {state->status, state->name};
    frm->show();
    return *frm;
  }
  QComboBox* Name() const { return Box<QComboBox>("NameTxt"); }
  QDate Date(const char* picker) const { return Box<QDateEdit>(QString::fromUtf8(picker))->date(); }
  QString Days() const { return Box("DaysDueTxt")->text(); }
  void Ok() const { Press(frm.get(), "OkButton"); }
  QStringList Loan() const {
    return db.Column(
        "SELECT Status || '|' || Name || '|' || Date || '|' || DueDate FROM Inventory");
  }
  QStringList People() const {
    return db.Column(
        "SELECT Name || '|' || Address || '|' || City || '|' || State || '|' || Zip || '|' || "
        "Phone || '|' || Fax || '|' || Cell || '|' || Notes FROM Customers ORDER BY rowid");
  }

  testsupport::FixedClock clock{Today()};
};

TEST_F(LoanFrmTest, NewBorrowerGetsTheLoanAndAPhoneBookEntryOfAllNineFields) {
  Open();
  EXPECT_EQ(Date("OutDateTxt"), Today());
  EXPECT_EQ(Days(), "0");
  QTest::keyClicks(Name()->lineEdit(), "Bob");
  const char* boxes[] = {"AddressTxt", "CityTxt", "StateTxt", "ZipTxt",
                         "PhoneTxt",   "FaxTxt",  "CellTxt"};
  for (const char* box : boxes) Box(QString::fromUtf8(box))->setText(QString::fromUtf8(box));
  Box<QPlainTextEdit>("NotesTxt")->setPlainText("a\nb");
  Box("DaysDueTxt")->setText("7");
  QTest::keyClick(Box("DaysDueTxt"), Qt::Key_Return);  // Enter saves, as Ok does
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(Loan(), QStringList({"1|Bob|2024-03-10|2024-03-17"}));
  EXPECT_EQ(People().last(),
            "Bob|AddressTxt|CityTxt|StateTxt|ZipTxt|PhoneTxt|FaxTxt|CellTxt|a\r\nb");
}

// Picking a known name fills the borrower's boxes; the entry is then written back from the boxes,
// emptied ones included, under its stored spelling.
TEST_F(LoanFrmTest, KnownBorrowerIsFilledInAndTheEntryOverwritten) {
  Open();
  QTest::keyClicks(Name()->lineEdit(), "ann");
  EXPECT_EQ(Name()->currentText(), "Ann O'Neil");
  EXPECT_EQ(Box("CellTxt")->text(), "555-0102");
  EXPECT_EQ(Box<QPlainTextEdit>("NotesTxt")->toPlainText(), "Two cats");
  Box("CityTxt")->clear();
  Ok();
  EXPECT_EQ(Loan(), QStringList({"1|Ann O'Neil|2024-03-10|2024-03-10"}));
  EXPECT_EQ(People(), QStringList({"Ann O'Neil|1 Main St||IL|62701|555-0100|555-0101|555-0102|"
                                   "Two cats"}));
}

// A changed loan starts from the stored one; a name that matches nobody empties the borrower's
// boxes and puts the dates back to today.
TEST_F(LoanFrmTest, ChangingALoanStartsFromItAndAnUnknownNameClearsTheFields) {
  db.Db()->Execute(
      "UPDATE Inventory SET Status = 1, Name = 'ann o''neil', Date = '2024-03-01', "
      "DueDate = '2024-03-08'");
  Open(true);
  EXPECT_EQ(Name()->currentText(), "Ann O'Neil");
  EXPECT_EQ(Box("AddressTxt")->text(), "1 Main St");
  EXPECT_EQ(Date("OutDateTxt"), QDate(2024, 3, 1));
  EXPECT_EQ(Days(), "-2");
  QTest::keyClick(Name()->lineEdit(), Qt::Key_End);
  QTest::keyClicks(Name()->lineEdit(), "x");
  EXPECT_EQ(Box("AddressTxt")->text(), QString());
  EXPECT_EQ(Box<QPlainTextEdit>("NotesTxt")->toPlainText(), QString());
  EXPECT_EQ(Date("OutDateTxt"), Today());
  EXPECT_EQ(Days(), "0");
}

// The borrower's entry was deleted from the phone book: the stored name and dates are shown, so
// that saving keeps them.
TEST_F(LoanFrmTest, ChangingALoanWhoseBorrowerIsGoneKeepsTheStoredLoan) {
  db.Db()->Execute(
      "UPDATE Inventory SET Status = 1, Name = 'Cy', Date = '2024-03-01', DueDate = '2024-03-20'");
  Open(true);
  EXPECT_EQ(Name()->currentText(), "Cy");
  EXPECT_EQ(Days(), "10");
  Ok();
  EXPECT_EQ(Loan(), QStringList({"1|Cy|2024-03-01|2024-03-20"}));
}

// The due date is today plus the number the days text starts with, held to the picker's range;
// the text stays as typed. Each due date differs from the one before it.
TEST_F(LoanFrmTest, DueDateFollowsTheDaysText) {
  Open();
  const QDate latest = Box<QDateEdit>("DueDateTxt")->maximumDate();
  const std::pair<const char*, QDate> texts[] = {
      {"7", Today().addDays(7)},          {"", Today()},
      {"-2", Today().addDays(-2)},        {"abc", Today()},
      {"  3.9 days", Today().addDays(3)}, {"-0.5", Today().addDays(-1)},
      {"1e5", Today().addDays(1)},        {"99999999999999999999999", latest}};
  for (const auto& [text, due] : texts) {
    Box("DaysDueTxt")->setText(text);
    EXPECT_EQ(Date("DueDateTxt"), due) << '"' << text << '"';
    EXPECT_EQ(Days(), text);
  }
}

// Days count from today, whatever the out date. A loan due before it goes out, or a days text that
// is no number, is refused with nothing written.
TEST_F(LoanFrmTest, DueDateSetsTheDaysAndTheOutDateChangesNeither) {
  Open();
  QTest::keyClicks(Name()->lineEdit(), "Bob");
  Box<QDateEdit>("DueDateTxt")->setDate(Today().addDays(-3));
  EXPECT_EQ(Days(), "-3");
  Box<QDateEdit>("OutDateTxt")->setDate(QDate(2024, 1, 1));
  EXPECT_EQ(Days(), "-3");
  EXPECT_EQ(Date("DueDateTxt"), Today().addDays(-3));
  Box<QDateEdit>("DueDateTxt")->setDate(QDate(2023, 12, 1));
  Ok();
  Box("DaysDueTxt")->setText("abc");
  Ok();
  ASSERT_EQ(boxes.Shown().size(), 2u);
  ExpectBox(boxes.Shown()[0], "The Due Date cannot be before the Out Date.", "Enter Days Due",
            MsgButtons::Ok, MsgIcon::Information);
  ExpectBox(boxes.Shown()[1], "You must enter the number of days to continue.", "Enter Days Due",
            MsgButtons::Ok, MsgIcon::Information);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(Loan(), QStringList({"0||2000-01-01|2000-01-01"}));
}

// "Del From List" asks before deleting a known name and says so for any other (an empty box is
// no name either: CustomerFunctions::HasCustomer); the name stays in its box, and the deletion
// stays even when the dialog is then cancelled.
// Deleting a borrower who still has DVDs says which.
TEST_F(LoanFrmTest, DelFromListAsksOrSaysTheNameIsNotThere) {
  db.AddDvd("Alien", {}, 1, "ann o'neil");
  Open();
  const char* const asked =
      "Are you sure you want to delete this name?\n\nAnn O'Neil still has: Alien.";
  const std::tuple<const char*, MsgAnswer, const char*, int> steps[] = {
      {"Bob", MsgAnswer::Ok, "Name is not in list.", 1},
      {"Ann O'Neil", MsgAnswer::No, asked, 1},
      {"Ann O'Neil", MsgAnswer::Yes, asked, 0}};
  for (const auto& [typed, answer, message, left] : steps) {
    SCOPED_TRACE(typed);
    Name()->setEditText(typed);
    boxes.Clear();
    boxes.Answer(answer);
    Press(frm.get(), "RemoveButton");
    ASSERT_EQ(boxes.Shown().size(), 1u);
    EXPECT_EQ(boxes.Shown()[0].text, message);
    EXPECT_EQ(People().size(), left);
    EXPECT_EQ(Name()->count(), left);
    EXPECT_EQ(Name()->currentText(), typed);
  }
  Press(frm.get(), "CancelButton");
  EXPECT_EQ(People().size(), 0);
  EXPECT_EQ(Loan(),
            QStringList({"0||2000-01-01|2000-01-01", "1|ann o'neil|2000-01-01|2000-01-01"}));
}

// Another program lent the DVD while the dialog was open: it says so and closes, writing nothing.
TEST_F(LoanFrmTest, ADVDLentMeanwhileIsNotLentAgain) {
  Open();
  Name()->setEditText("Bob");
  db.Db()->Execute("UPDATE Inventory SET Status = 1, Name = 'Cy'");
  Ok();
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0],
            "This DVD has been lent or returned meanwhile. The list now shows it as it is.",
            "DVD Changed", MsgButtons::Ok, MsgIcon::Information);
  EXPECT_FALSE(frm->isVisible());
  EXPECT_EQ(Loan(), QStringList({"1|Cy|2000-01-01|2000-01-01"}));
  EXPECT_EQ(People().size(), 1);
}

TEST_F(LoanFrmTest, NoNameOrNoDVDIsRefusedAndNothingWritten) {
  Open();
  Ok();
  Name()->setEditText("Bob");
  db.Db()->Execute("DELETE FROM Inventory");
  Ok();
  ASSERT_EQ(boxes.Shown().size(), 2u);
  ExpectBox(boxes.Shown()[0], "You must enter a Name to continue.", "Enter Name", MsgButtons::Ok,
            MsgIcon::Information);
  ExpectBox(boxes.Shown()[1], "Could not save data.", "Error", MsgButtons::Ok, MsgIcon::Critical);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(People().size(), 1);
}

// A write the engine refuses ends the save with the engine's error (shown with its number by the
// program's error boundary), and the dialog keeps what was typed. (That no half loan is written
// is the loan's own transaction: InventoryWritesTest.)
TEST_F(LoanFrmTest, RefusedWriteLeavesNoHalfLoanAndTheDialogOpen) {
  db.Db()->Execute(
      "CREATE TRIGGER refuse BEFORE INSERT ON Customers BEGIN SELECT RAISE(ABORT, "
      "'disk trouble'); END");
  Open();
  Name()->setEditText("Bob");
  // Asked to close directly: an exception must not cross Qt's signal delivery of a click.
  EXPECT_THROW(frm->accept(), DatabaseError);
  EXPECT_TRUE(frm->isVisible());
  EXPECT_EQ(Name()->currentText(), "Bob");
}

}  // namespace
