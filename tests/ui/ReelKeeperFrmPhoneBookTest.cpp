#include <QPushButton>
#include <QTest>

#include "ReelKeeperFrmFixture.h"

using seams::MsgAnswer;

namespace {

class PhoneTabTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    db.AddCustomer(QStringLiteral("Bob"), QStringLiteral("555-0001"));
    db.AddCustomer(QStringLiteral("Carl"), QStringLiteral("555-0002"));
    db.AddDvd(QStringLiteral("Alpha"));
    db.AddDvd(QStringLiteral("Beta"));
    Load();
  }

  QComboBox* NameBox() const { return Find<QComboBox>(QStringLiteral("PhoneNameTxt")); }
  QLineEdit* Field(const char* name) const { return Find<QLineEdit>(QString::fromUtf8(name)); }
  void Type(const QString& text) { QTest::keyClicks(NameBox()->lineEdit(), text); }
  void ClearName() {
    NameBox()->lineEdit()->selectAll();
    QTest::keyClick(NameBox()->lineEdit(), Qt::Key_Delete);
  }
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

TEST_F(PhoneTabTest, NameBoxIsAPlainEditableListWithoutQtsOwnCompletion) {
  EXPECT_TRUE(NameBox()->isEditable());
  EXPECT_EQ(NameBox()->completer(), nullptr);
  EXPECT_EQ(NameBox()->insertPolicy(), QComboBox::NoInsert);
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl"}));
  EXPECT_EQ(NameBox()->currentText(), QString());
}

// What the operations ask and write is the core's (PhoneBookEntryTest); here the tab's boxes are
// bound to them.
TEST_F(PhoneTabTest, TypingCompletesTheNameAndShowsTheEntry) {
  Type(QStringLiteral("b"));
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Bob"));
  EXPECT_EQ(NameBox()->lineEdit()->selectedText(), QStringLiteral("ob"));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-0001"));

  Type(QStringLiteral("x"));  // replaces the completed part: no such name
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Bx"));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QString());

  // The box once dropped apostrophes as they were typed, so O'Brien could never be shown.
  ClearName();
  Type(QStringLiteral("O'Brien"));
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("O'Brien"));
}

TEST_F(PhoneTabTest, PickingFromTheListShowsTheEntry) {
  NameBox()->setCurrentIndex(1);
  emit NameBox()->activated(1);
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Carl"));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-0002"));
}

TEST_F(PhoneTabTest, SaveAndDeleteWorkOnTheTabsBoxes) {
  Type(QStringLiteral("Zed"));
  Field("PhoneCityTxt")->setText(QStringLiteral("Springfield"));
  Find<QPlainTextEdit>(QStringLiteral("PhoneNotesTxt"))->setPlainText(QStringLiteral("a\nb"));
  Press("SaveButton");
  EXPECT_EQ(Stored(QStringLiteral("Name")), (QStringList{"Bob", "Carl", "Zed"}));
  EXPECT_EQ(Stored(QStringLiteral("City")).last(), QStringLiteral("Springfield"));
  EXPECT_EQ(Stored(QStringLiteral("Notes")).last(), QStringLiteral("a\r\nb"));
  // The refresh after the save keeps the name and shows the stored entry.
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl", "Zed"}));
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Zed"));
  EXPECT_EQ(Find<QPlainTextEdit>(QStringLiteral("PhoneNotesTxt"))->toPlainText(), "a\nb");

  boxes.Answer(MsgAnswer::Yes);
  Press("DeleteButton");
  EXPECT_EQ(Stored(QStringLiteral("Name")), (QStringList{"Bob", "Carl"}));
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl"}));
  EXPECT_EQ(NameBox()->currentText(), QString());
  EXPECT_EQ(Field("PhoneCityTxt")->text(), QString());
}

TEST_F(PhoneTabTest, TheNameStaysWhileMovingBetweenDVDs) {
  Type(QStringLiteral("Carl"));
  Click(QStringLiteral("Alpha"));
  Click(QStringLiteral("Beta"));
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Carl"));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-0002"));

  // A name no longer in the phone book goes at the next refresh.
  db.Db()->Execute(QStringLiteral("DELETE FROM Customers WHERE Name = 'Carl'"));
  Click(QStringLiteral("Alpha"));
  EXPECT_EQ(NameBox()->currentText(), QString());
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QString());
  EXPECT_EQ(Items(), QStringList{"Bob"});
}

}  // namespace
