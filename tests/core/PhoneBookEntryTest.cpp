#include "phonebook/PhoneBookEntry.h"

#include <gtest/gtest.h>

#include <QHash>

#include "TestSupport.h"

using PhoneBookEntry::Field;
using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;
using testsupport::ExpectBox;
using testsupport::ScriptedMessageBox;
using testsupport::TempDatabase;

namespace {

// A view made of plain strings, refreshed the way the phone book window refreshes itself.
class FakeForm final : public PhoneBookEntry::Form {
 public:
  QString name;
  QHash<Field, QString> fields;
  QStringList names;
  int focusRequests = 0;
  Collection& db;

  explicit FakeForm(Collection& collection) : db(collection) {}

  QString NameText() const override { return name; }
  QString FieldText(Field field) const override { return fields.value(field); }
  void SetFieldText(Field field, const QString& text) override { fields[field] = text; }
  void SetNames(const QStringList& list) override { names = list; }
  void FocusName() override { ++focusRequests; }
  void Refresh() override {
    PhoneBookEntry::LoadPhoneNames(db, *this);
    PhoneBookEntry::LoadPhoneBookInfo(db, *this);
  }

  void Fill(const QString& prefix) {
    for (const Field field : PhoneBookEntry::kFields)
      fields[field] = prefix + PhoneBookEntry::ColumnName(field);
  }
};

class PhoneBookEntryTest : public ::testing::Test {
 protected:
  QStringList Stored(const QString& column) const {
    return db.Column(QStringLiteral("SELECT %1 FROM Customers ORDER BY rowid").arg(column));
  }

  TempDatabase db;
  ScriptedMessageBox boxes;
  FakeForm form{db};
};

// A new name is stored without a question, each box in its own column, an empty box as empty
// text (never Null); the entry is found again whatever the letter case of the name.
TEST_F(PhoneBookEntryTest, NewEntryIsStoredWithoutQuestionEveryBoxInItsColumn) {
  db.AddCustomer("Carl");
  db.AddCustomer("adams");
  form.name = "Dora";
  form.Fill("x-");
  form.fields[Field::Fax] = "";
  form.fields[Field::Notes] = "late\r\nagain";
  const QHash<Field, QString> typed = form.fields;

  PhoneBookEntry::SavePhoneInfo(db, form);

  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(form.names, (QStringList{"adams", "Carl", "Dora"}));  // the engine's name order
  for (const Field field : PhoneBookEntry::kFields) {
    const QString column = PhoneBookEntry::ColumnName(field);
    EXPECT_EQ(Stored(column + " IS NULL").last(), "0") << qPrintable(column);
    EXPECT_EQ(Stored(column).last(), typed[field]) << qPrintable(column);
  }
  FakeForm other{db};
  other.name = "DORA";
  PhoneBookEntry::LoadPhoneBookInfo(db, other);
  EXPECT_EQ(other.fields, typed);
}

// Saving over a stored name asks first: No writes nothing and shows the stored entry again; Yes
// stores the boxes under the spelling typed.
TEST_F(PhoneBookEntryTest, SavingOverAStoredNameAsksFirst) {
  db.AddCustomer("Bob", "555-1");
  form.name = "bob";
  form.fields[Field::Phone] = "555-2";
  form.fields[Field::City] = "edited";
  boxes.Answer(MsgAnswer::No);
  PhoneBookEntry::SavePhoneInfo(db, form);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], "Are you sure you wish to save this info?", "Confirm",
            MsgButtons::YesNo, MsgIcon::Question);
  EXPECT_EQ(boxes.Shown()[0].defaultAnswer, MsgAnswer::Yes);
  EXPECT_EQ(Stored("Name || '|' || Phone"), QStringList{"Bob|555-1"});
  EXPECT_EQ(form.fields[Field::Phone], "555-1");
  EXPECT_EQ(form.fields[Field::City], "");

  form.fields[Field::Phone] = "555-2";
  boxes.Answer(MsgAnswer::Yes);
  PhoneBookEntry::SavePhoneInfo(db, form);
  EXPECT_EQ(Stored("Name || '|' || Phone"), QStringList{"bob|555-2"});
}

TEST_F(PhoneBookEntryTest, EmptyNameIsRefusedWithFocusOnTheNameBox) {
  db.AddCustomer("", "blank row");
  form.fields[Field::Phone] = "typed";
  using Operation = std::pair<void (*)(Collection&, PhoneBookEntry::Form&), QString>;
  for (const auto& [operation, message] :
       {Operation(PhoneBookEntry::SavePhoneInfo,
                  "You must enter a name before you can save a phone book entry."),
        Operation([](Collection&c, PhoneBookEntry::Form&f) { PhoneBookEntry::DelPhoneInfo(c, f); },
                  "You must enter a name before you can delete a phone book entry.")}) {
    boxes.Clear();
    form.focusRequests = 0;
    operation(db, form);
    ASSERT_EQ(boxes.Shown().size(), 1u);
    ExpectBox(boxes.Shown()[0], message, "Name Required", MsgButtons::Ok, MsgIcon::Information);
    EXPECT_EQ(form.focusRequests, 1);
    EXPECT_EQ(Stored("Phone"), QStringList{"blank row"});
    EXPECT_TRUE(form.names.isEmpty());  // nothing was reloaded
  }
}

// Deleting asks first; on Yes only the first row of that name goes, and the reload finds the
// other.
TEST_F(PhoneBookEntryTest, DeleteAsksThenRemovesOnlyTheFirstRowOfThatName) {
  db.AddCustomer("Twin", "first");
  db.AddCustomer("Twin", "second");
  form.name = "twin";
  boxes.Answer(MsgAnswer::No);
  PhoneBookEntry::DelPhoneInfo(db, form);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], "Are you sure you wish to delete this entry?", "Confirm",
            MsgButtons::YesNo, MsgIcon::Question);
  EXPECT_EQ(Stored("Phone"), QStringList({"first", "second"}));

  boxes.Answer(MsgAnswer::Yes);
  PhoneBookEntry::DelPhoneInfo(db, form);
  EXPECT_EQ(Stored("Phone"), QStringList{"second"});
  EXPECT_EQ(form.fields[Field::Phone], "second");
}

TEST_F(PhoneBookEntryTest, DeletingAnUnknownNameSaysSoAndWritesNothing) {
  db.AddCustomer("Bob");
  form.name = "Bobby";
  PhoneBookEntry::DelPhoneInfo(db, form);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], "Could not find the name you entered.", "Name Not Found",
            MsgButtons::Ok, MsgIcon::Information);
  EXPECT_EQ(Stored("Name"), QStringList{"Bob"});
  EXPECT_EQ(form.names, QStringList{"Bob"});
}

// Quotes are doubled in the SQL, so a name with an apostrophe is a name like any other. Once
// it is deleted, the name is unknown and every box shows empty.
TEST_F(PhoneBookEntryTest, ApostropheNamesAreStoredShownAndDeletedIntact) {
  db.AddCustomer("OBrien", "not this one");
  form.name = "O'Brien";
  form.Fill("x-");
  form.fields[Field::Phone] = "555-7";

  PhoneBookEntry::SavePhoneInfo(db, form);
  EXPECT_TRUE(boxes.Shown().empty());  // a new entry, not the similar OBrien
  EXPECT_EQ(form.names, (QStringList{"O'Brien", "OBrien"}));

  FakeForm reader{db};
  reader.name = "o'brien";
  PhoneBookEntry::LoadPhoneBookInfo(db, reader);
  EXPECT_EQ(reader.fields[Field::Phone], "555-7");

  boxes.Answer(MsgAnswer::Yes);
  PhoneBookEntry::DelPhoneInfo(db, form);
  EXPECT_EQ(Stored("Name"), QStringList{"OBrien"});
  for (const Field field : PhoneBookEntry::kFields) EXPECT_EQ(form.fields[field], "");
}

}  // namespace
