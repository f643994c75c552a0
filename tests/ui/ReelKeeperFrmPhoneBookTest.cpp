#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

#include "ReelKeeperFrmFixture.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"

using seams::MsgAnswer;

namespace {

class PhoneTabTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    db.AddCustomer("Bob", "555-0001");
    db.AddCustomer("Carl", "555-0002");
    db.AddDvd("Alpha");
    db.AddDvd("Beta");
    Load();
  }

  QComboBox* NameBox() const { return Find<QComboBox>("PhoneNameTxt"); }
  QLineEdit* Field(const char* name) const { return Find<QLineEdit>(QString::fromUtf8(name)); }
  void Type(const QString& text) { QTest::keyClicks(NameBox()->lineEdit(), text); }
  void Press(const char* button) {
    QTest::mouseClick(Find<QPushButton>(QString::fromUtf8(button)), Qt::LeftButton);
  }
  QStringList Items() const {
    QStringList items;
    for (int i = 0; i < NameBox()->count(); ++i) items << NameBox()->itemText(i);
    return items;
  }
  QStringList Stored(const QString& column) const {
    return db.Column(QStringLiteral("SELECT %1 FROM Customers ORDER BY rowid").arg(column));
  }
};

// What the operations ask and write is the core's (PhoneBookEntryTest); here the tab's boxes are
// bound to them. The name box is a plain editable list: type-ahead is the program's own, and how
// it completes is the form helpers' (TypeAheadTest).
TEST_F(PhoneTabTest, TypingOrPickingANameShowsTheEntry) {
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl"}));
  EXPECT_EQ(NameBox()->completer(), nullptr);
  EXPECT_EQ(NameBox()->insertPolicy(), QComboBox::NoInsert);
  Type("b");
  EXPECT_EQ(NameBox()->currentText(), "Bob");
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), "555-0001");

  Type("x");  // replaces the completed part: no such name
  EXPECT_EQ(NameBox()->currentText(), "Bx");
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QString());

  NameBox()->setCurrentIndex(1);
  emit NameBox()->activated(1);
  EXPECT_EQ(NameBox()->currentText(), "Carl");
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), "555-0002");

  // The box once dropped apostrophes as they were typed, so O'Brien could never be shown.
  NameBox()->lineEdit()->clear();
  Type("O'Brien");
  EXPECT_EQ(NameBox()->currentText(), "O'Brien");
}

TEST_F(PhoneTabTest, SaveAndDeleteWorkOnTheTabsBoxes) {
  Type("Zed");
  Field("PhoneCityTxt")->setText("Springfield");
  Find<QPlainTextEdit>("PhoneNotesTxt")->setPlainText("a\nb");
  Press("SaveButton");
  EXPECT_EQ(Stored("Name"), (QStringList{"Bob", "Carl", "Zed"}));
  EXPECT_EQ(Stored("City").last(), "Springfield");
  EXPECT_EQ(Stored("Notes").last(), "a\r\nb");
  // The refresh after the save keeps the name and shows the stored entry.
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl", "Zed"}));
  EXPECT_EQ(NameBox()->currentText(), "Zed");
  EXPECT_EQ(Find<QPlainTextEdit>("PhoneNotesTxt")->toPlainText(), "a\nb");

  boxes.Answer(MsgAnswer::Yes);
  Press("DeleteButton");
  EXPECT_EQ(Stored("Name"), (QStringList{"Bob", "Carl"}));
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl"}));
  EXPECT_EQ(NameBox()->currentText(), QString());
  EXPECT_EQ(Field("PhoneCityTxt")->text(), QString());
}

TEST_F(PhoneTabTest, TheNameStaysWhileMovingBetweenDVDs) {
  Type("Carl");
  Click("Alpha");
  Click("Beta");
  EXPECT_EQ(NameBox()->currentText(), "Carl");
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), "555-0002");

  // A name no longer in the phone book goes at the next refresh.
  db.Db()->Execute("DELETE FROM Customers WHERE Name = 'Carl'");
  Click("Alpha");
  EXPECT_EQ(NameBox()->currentText(), QString());
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QString());
  EXPECT_EQ(Items(), QStringList{"Bob"});
}

// A borrower who still has a DVD is named with it before the entry goes.
TEST_F(PhoneTabTest, DeletingABorrowerNamesTheirDVDs) {
  db.AddDvd("Heat", {}, 1, "Bob", "2024-04-01", "2024-04-20");
  NameBox()->setEditText("Bob");
  boxes.Answer(MsgAnswer::Yes);
  Press("DeleteButton");
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text,
            "Are you sure you wish to delete this entry?\n\nBob still has: Heat.");
  EXPECT_EQ(Stored("Name"), QStringList{"Carl"});
}

}  // namespace

namespace {

// The tab shows the borrower's loans from the history; a loan leads to its DVD in the list.
TEST_F(PhoneTabTest, BorrowersLoansAreShownAndLeadToTheirDVD) {
  CustomerFunctions::Customer bob;
  bob.name = "Bob";
  ASSERT_EQ(InventoryFunctions::LendDVD(db, "Beta", bob, Today().addDays(-9), Today().addDays(-2)),
            InventoryFunctions::DVDOutcome::Saved);
  frm->show();
  Find<QTabWidget>("Tabs")->setCurrentIndex(2);
  Type("Bob");
  auto* loans = Find<QTreeWidget>("PhoneLoansTxt");
  ASSERT_EQ(loans->topLevelItemCount(), 1);
  EXPECT_EQ(loans->topLevelItem(0)->text(0), "Beta");
  EXPECT_EQ(loans->topLevelItem(0)->text(3), "(still out)");
  EXPECT_EQ(Field("PhoneSummaryTxt")->text(), "Borrowed 1, late 1, on average 2 days late");
  emit loans->itemActivated(loans->topLevelItem(0), 0);
  EXPECT_EQ(frm->GetSelectedDVD(), "Beta");
}

}  // namespace
