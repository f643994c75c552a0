#include "phonebook/PhoneBookEntry.h"

#include <gtest/gtest.h>

#include <QHash>
#include <functional>

#include "TestSupport.h"

using PhoneBookEntry::Field;
using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;
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

  QString NameText() const override { return name; }
  QString FieldText(Field field) const override { return fields.value(field); }
  void SetFieldText(Field field, const QString& text) override { fields[field] = text; }
  void SetNames(const QStringList& list) override { names = list; }
  void FocusName() override { ++focusRequests; }
  void Refresh() override {
    PhoneBookEntry::LoadPhoneNames(*this);
    PhoneBookEntry::LoadPhoneBookInfo(*this);
  }

  void Fill(const QString& prefix) {
    for (const Field field : PhoneBookEntry::kFields)
      fields[field] = prefix + PhoneBookEntry::ColumnName(field);
  }
  bool FieldsEmpty() const {
    for (const Field field : PhoneBookEntry::kFields)
      if (!fields.value(field).isEmpty()) return false;
    return true;
  }
};

class PhoneBookEntryTest : public ::testing::Test {
 protected:
  QStringList Stored(const QString& column) const {
    return db.Column(QStringLiteral("SELECT %1 FROM Customers ORDER BY rowid").arg(column));
  }

  TempDatabase db;
  ScriptedMessageBox boxes;
  FakeForm form;
};

TEST_F(PhoneBookEntryTest, NewEntryIsStoredWithoutQuestionAndEmptyBoxesAsEmptyText) {
  db.AddCustomer("Carl");
  db.AddCustomer("adams");
  form.name = "Bob";
  form.fields[Field::Address] = "1 Main St";
  form.fields[Field::Notes] = "late\r\nagain";

  PhoneBookEntry::SavePhoneInfo(form);

  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(form.names, (QStringList{"adams", "Bob", "Carl"}));  // engine's name order
  EXPECT_EQ(form.fields[Field::Address], "1 Main St");
  EXPECT_EQ(form.fields[Field::Notes], "late\r\nagain");
  EXPECT_EQ(db.Column(QStringLiteral("SELECT count(*) FROM Customers WHERE Name = 'Bob' AND "
                                     "Fax IS NOT NULL AND Fax = '' AND Cell = ''")),
            QStringList{"1"});
}

TEST_F(PhoneBookEntryTest, EveryFieldRoundTripsToItsOwnColumn) {
  form.name = "Dora";
  form.Fill("x-");
  PhoneBookEntry::SavePhoneInfo(form);

  for (const Field field : PhoneBookEntry::kFields) {
    const QString column = PhoneBookEntry::ColumnName(field);
    EXPECT_EQ(Stored(column), QStringList{"x-" + column});
  }
  FakeForm other;
  other.name = "DORA";  // the lookup ignores letter case
  PhoneBookEntry::LoadPhoneBookInfo(other);
  EXPECT_EQ(other.fields, form.fields);
  EXPECT_EQ(other.name, "DORA");
}

TEST_F(PhoneBookEntryTest, OverwritingAsksAndStoresTheTypedSpelling) {
  db.AddCustomer("Bob", "555-1");
  form.name = "bob";
  form.fields[Field::Phone] = "555-2";
  boxes.Answer(MsgAnswer::Yes);

  PhoneBookEntry::SavePhoneInfo(form);

  ASSERT_EQ(boxes.Shown().size(), 1u);
  const seams::MessageRequest& asked = boxes.Shown()[0];
  EXPECT_EQ(asked.text, "Are you sure you wish to save this info?");
  EXPECT_EQ(asked.title, "Confirm");
  EXPECT_EQ(asked.icon, MsgIcon::Question);
  EXPECT_EQ(asked.buttons, MsgButtons::YesNo);
  EXPECT_EQ(asked.defaultAnswer, MsgAnswer::Yes);
  EXPECT_EQ(Stored("Name"), QStringList{"bob"});
  EXPECT_EQ(Stored("Phone"), QStringList{"555-2"});
}

TEST_F(PhoneBookEntryTest, AnsweringNoWritesNothingAndShowsTheStoredEntryAgain) {
  db.AddCustomer("Bob", "555-1");
  form.name = "Bob";
  form.fields[Field::Phone] = "edited";
  form.fields[Field::City] = "edited too";
  boxes.Answer(MsgAnswer::No);

  PhoneBookEntry::SavePhoneInfo(form);

  EXPECT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(Stored("Phone"), QStringList{"555-1"});
  EXPECT_EQ(form.fields[Field::Phone], "555-1");
  EXPECT_EQ(form.fields[Field::City], QString());
}

struct RequiredCase {
  const char* label;
  std::function<void(PhoneBookEntry::Form&)> operation;
  const char* message;
};

class NameRequiredTest : public PhoneBookEntryTest,
                         public ::testing::WithParamInterface<RequiredCase> {};

TEST_P(NameRequiredTest, EmptyNameIsRefusedWithFocusOnTheNameBox) {
  db.AddCustomer("", "blank row");
  form.fields[Field::Phone] = "typed";

  GetParam().operation(form);

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, QString::fromUtf8(GetParam().message));
  EXPECT_EQ(boxes.Shown()[0].title, "Name Required");
  EXPECT_EQ(boxes.Shown()[0].icon, MsgIcon::Information);
  EXPECT_EQ(boxes.Shown()[0].buttons, MsgButtons::Ok);
  EXPECT_EQ(form.focusRequests, 1);
  EXPECT_EQ(Stored("Phone"), QStringList{"blank row"});
  EXPECT_TRUE(form.names.isEmpty());  // nothing was reloaded
}

INSTANTIATE_TEST_SUITE_P(
    SaveAndDelete, NameRequiredTest,
    ::testing::Values(RequiredCase{"Save", PhoneBookEntry::SavePhoneInfo,
                                   "You must enter a name before you can save a phone book entry."},
                      RequiredCase{
                          "Delete", PhoneBookEntry::DelPhoneInfo,
                          "You must enter a name before you can delete a phone book entry."}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(PhoneBookEntryTest, DeleteAsksThenRemovesOnlyTheFirstRowOfThatName) {
  db.AddCustomer("Twin", "first");
  db.AddCustomer("Twin", "second");
  form.name = "twin";
  boxes.Answer(MsgAnswer::Yes);

  PhoneBookEntry::DelPhoneInfo(form);

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Are you sure you wish to delete this entry?");
  EXPECT_EQ(boxes.Shown()[0].title, "Confirm");
  EXPECT_EQ(boxes.Shown()[0].buttons, MsgButtons::YesNo);
  EXPECT_EQ(Stored("Phone"), QStringList{"second"});
  // The reload finds the remaining row.
  EXPECT_EQ(form.fields[Field::Phone], "second");
}

TEST_F(PhoneBookEntryTest, DeleteAnsweredNoKeepsTheEntry) {
  db.AddCustomer("Bob", "555-1");
  form.name = "Bob";
  boxes.Answer(MsgAnswer::No);

  PhoneBookEntry::DelPhoneInfo(form);

  EXPECT_EQ(Stored("Name"), QStringList{"Bob"});
  EXPECT_EQ(form.fields[Field::Phone], "555-1");
}

TEST_F(PhoneBookEntryTest, DeletingAnUnknownNameSaysSoAndWritesNothing) {
  db.AddCustomer("Bob");
  form.name = "Bobby";

  PhoneBookEntry::DelPhoneInfo(form);

  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, "Could not find the name you entered.");
  EXPECT_EQ(boxes.Shown()[0].title, "Name Not Found");
  EXPECT_EQ(boxes.Shown()[0].icon, MsgIcon::Information);
  EXPECT_EQ(Stored("Name"), QStringList{"Bob"});
  EXPECT_EQ(form.names, QStringList{"Bob"});
}

TEST_F(PhoneBookEntryTest, UnknownNameShowsEmptyFieldsAndKeepsTheName) {
  db.AddCustomer("Bob", "555-1");
  form.name = "Nobody";
  form.Fill("old ");

  PhoneBookEntry::LoadPhoneBookInfo(form);

  EXPECT_TRUE(form.FieldsEmpty());
  EXPECT_EQ(form.name, "Nobody");
}

// Quotes are doubled in the SQL, so a name with an apostrophe is a name like any other.
TEST_F(PhoneBookEntryTest, ApostropheNamesAreStoredShownAndDeletedIntact) {
  db.AddCustomer("OBrien", "not this one");
  form.name = "O'Brien";
  form.fields[Field::Phone] = "555-7";

  PhoneBookEntry::SavePhoneInfo(form);
  EXPECT_TRUE(boxes.Shown().empty());  // a new entry, not the similar OBrien
  EXPECT_EQ(form.names, (QStringList{"O'Brien", "OBrien"}));

  FakeForm reader;
  reader.name = "o'brien";
  PhoneBookEntry::LoadPhoneBookInfo(reader);
  EXPECT_EQ(reader.fields[Field::Phone], "555-7");

  boxes.Answer(MsgAnswer::Yes);
  PhoneBookEntry::DelPhoneInfo(form);
  EXPECT_EQ(Stored("Name"), QStringList{"OBrien"});
  EXPECT_TRUE(form.FieldsEmpty());
}

}  // namespace
