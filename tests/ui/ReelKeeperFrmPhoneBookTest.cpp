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

TEST_F(PhoneTabTest, TypingCompletesTheNameAndShowsTheEntry) {
  Type(QStringLiteral("b"));
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Bob"));
  EXPECT_EQ(NameBox()->lineEdit()->selectedText(), QStringLiteral("ob"));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-0001"));

  Type(QStringLiteral("x"));  // replaces the completed part: no such name
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Bx"));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QString());
}

TEST_F(PhoneTabTest, PickingFromTheListShowsTheEntry) {
  NameBox()->setCurrentIndex(1);
  emit NameBox()->activated(1);
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Carl"));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-0002"));
}

TEST_F(PhoneTabTest, NewNameIsSavedWithoutAQuestionAndStaysInTheBox) {
  Type(QStringLiteral("Zed"));
  Field("PhoneCityTxt")->setText(QStringLiteral("Springfield"));
  Find<QPlainTextEdit>(QStringLiteral("PhoneNotesTxt"))->setPlainText(QStringLiteral("a\nb"));
  Press("SaveButton");

  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(Stored(QStringLiteral("Name")), (QStringList{"Bob", "Carl", "Zed"}));
  EXPECT_EQ(Stored(QStringLiteral("City")).last(), QStringLiteral("Springfield"));
  EXPECT_EQ(Stored(QStringLiteral("Notes")).last(), QStringLiteral("a\r\nb"));
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl", "Zed"}));
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Zed"));
  EXPECT_EQ(Field("PhoneCityTxt")->text(), QStringLiteral("Springfield"));
}

TEST_F(PhoneTabTest, OverwritingAsksFirst) {
  Type(QStringLiteral("Bob"));
  Field("PhonePhoneTxt")->setText(QStringLiteral("555-9999"));
  boxes.Answer(MsgAnswer::Yes);
  Press("SaveButton");

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, QStringLiteral("Are you sure you wish to save this info?"));
  EXPECT_EQ(Stored(QStringLiteral("Phone")), (QStringList{"555-9999", "555-0002"}));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-9999"));
}

TEST_F(PhoneTabTest, AnsweringNoBringsBackTheStoredEntry) {
  Type(QStringLiteral("Bob"));
  Field("PhonePhoneTxt")->setText(QStringLiteral("555-9999"));
  boxes.Answer(MsgAnswer::No);
  Press("SaveButton");

  EXPECT_EQ(Stored(QStringLiteral("Phone")), (QStringList{"555-0001", "555-0002"}));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-0001"));
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("Bob"));
}

TEST_F(PhoneTabTest, DeletingEmptiesTheNameBoxAndTheFields) {
  Type(QStringLiteral("Carl"));
  boxes.Answer(MsgAnswer::Yes);
  Press("DeleteButton");

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, QStringLiteral("Are you sure you wish to delete this entry?"));
  EXPECT_EQ(Stored(QStringLiteral("Name")), QStringList{"Bob"});
  EXPECT_EQ(Items(), QStringList{"Bob"});
  EXPECT_EQ(NameBox()->currentText(), QString());
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QString());
}

TEST_F(PhoneTabTest, EmptyNameIsRequiredAndTakesTheFocus) {
  frm->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
  Press("SaveButton");
  Press("DeleteButton");

  ASSERT_EQ(boxes.Shown().size(), 2u);
  EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("Name Required"));
  EXPECT_EQ(boxes.Shown()[1].title, QStringLiteral("Name Required"));
  QWidget* focus = frm->focusWidget();
  EXPECT_TRUE(focus == NameBox() || NameBox()->isAncestorOf(focus));
  EXPECT_EQ(Stored(QStringLiteral("Name")).size(), 2);
}

// The name boxes once dropped apostrophes while they were typed; a borrower such as O'Brien
// could then never be shown, picked or deleted.
TEST_F(PhoneTabTest, ApostrophesAreKeptFromTypingToDeleting) {
  Type(QStringLiteral("O'Brien"));
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("O'Brien"));
  Field("PhonePhoneTxt")->setText(QStringLiteral("555-0077"));
  Press("SaveButton");
  EXPECT_EQ(Stored(QStringLiteral("Name")), (QStringList{"Bob", "Carl", "O'Brien"}));
  EXPECT_EQ(Items(), (QStringList{"Bob", "Carl", "O'Brien"}));

  ClearName();
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QString());
  Type(QStringLiteral("o'"));  // completes to the stored spelling
  EXPECT_EQ(NameBox()->currentText(), QStringLiteral("O'Brien"));
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-0077"));

  ClearName();
  NameBox()->setCurrentIndex(2);
  emit NameBox()->activated(2);
  EXPECT_EQ(Field("PhonePhoneTxt")->text(), QStringLiteral("555-0077"));

  boxes.Answer(MsgAnswer::Yes);
  Press("DeleteButton");
  EXPECT_EQ(boxes.Shown().size(), 1u);  // the question only: the entry was found
  EXPECT_EQ(Stored(QStringLiteral("Name")), (QStringList{"Bob", "Carl"}));
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
