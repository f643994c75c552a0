// Who is to be reminded, the letter they get, and the reminders noted in the loan history.
#include "inventory/Reminders.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/ChangeNotice.h"
#include "inventory/DVDRecord.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerFunctions.h"
#include "phonebook/CustomerRecords.h"

using namespace InventoryFunctions;

namespace {

const QDate kToday(2026, 12, 20);

class RemindersTest : public ::testing::Test {
 protected:
  void Lend(const QString& title, const QString& name, int dueInDays, const QString& email = {}) {
    db.AddDvd(title);
    CustomerFunctions::Customer borrower;
    borrower.name = name;
    borrower.Text(CustomerFunctions::Field::Email) = email;
    ASSERT_EQ(LendDVD(db, title, borrower, kToday.addDays(-10), kToday.addDays(dueInDays)),
              DVDOutcome::Saved);
  }
  static QStringList Listed(const std::vector<Reminders::Borrower>& borrowers) {
    QStringList listed;
    for (const auto& borrower : borrowers) {
      QStringList dvds;
      for (const auto& dvd : borrower.dvds)
        dvds << dvd.title + ':' + QString::number(dvd.daysOverdue);
      listed << borrower.name + '<' + borrower.email + ">=" + dvds.join(',');
    }
    return listed;
  }

  testsupport::TempDatabase db;
  testsupport::FixedClock clock{kToday};
};

// Overdue and due within the days asked for, grouped by borrower whatever the letter case of
// the name; returned, later, unnamed and other-status DVDs are left out.
TEST_F(RemindersTest, ListsOverdueAndSoonDueByBorrower) {
  Lend("Alien", "Ann", -5, "ann@example.org");
  Lend("Heat", "Ann", 1);
  Lend("Zodiac", "ann", 0);
  Lend("Jaws", "Ann", 3);  // beyond two days
  Lend("Big", "Carl O'Neil", -1);
  Lend("Up", "Bob", -9);
  ASSERT_EQ(ReturnDVD(db, "Up"), DVDOutcome::Saved);
  db.AddDvd("Nameless", {}, 1, {}, "2026-12-01", "2026-12-02");
  db.AddDvd("Rented", {}, 2, "Bob", "2026-12-01", "2026-12-02");

  // Ann's second lend saved her entry again without an address: the first one is gone.
  EXPECT_EQ(Listed(Reminders::DueBorrowers(db, kToday, 2)),
            QStringList({"Ann<>=Alien:5,Zodiac:0,Heat:-1", "Carl O'Neil<>=Big:1"}));
  CustomerFunctions::Customer ann = *CustomerFunctions::FindCustomer(db, "Ann");
  ann.Text(CustomerFunctions::Field::Email) = " ann@example.org ";
  CustomerFunctions::SaveCustomer(db, ann, CustomerFunctions::NameSpelling::Stored);
  EXPECT_EQ(Listed(Reminders::DueBorrowers(db, kToday, 0)),
            QStringList({"Ann<ann@example.org>=Alien:5,Zodiac:0", "Carl O'Neil<>=Big:1"}));
  EXPECT_EQ(Listed({Reminders::DueBorrower(db, "carl o'neil", kToday, 0)}),
            QStringList({"Carl O'Neil<>=Big:1"}));
  EXPECT_TRUE(Reminders::DueBorrower(db, "Bob", kToday, 2).dvds.empty());
}

// Each field once, in any letter case; a title holding a field's name is not filled in again;
// the mailto: address keeps every character of subject and letter as text.
TEST_F(RemindersTest, LetterFillsTheTemplateAndTheMailtoKeepsItsText) {
  Reminders::Borrower ann;
  ann.name = "Ann";
  ann.email = "ann+films@example.org";
  ann.dvds = {{"Tom & Jerry {name}", QDate(2026, 12, 18), 2}, {"Heat", QDate(2026, 12, 21), -1}};
  const QString letter = Reminders::FillTemplate("Hi {NAME},\r\n{dvds}\n{today} {x}", ann, kToday);
  const auto date = [](int day) { return ShortDateText(QDate(2026, 12, day)); };
  EXPECT_EQ(letter, "Hi Ann,\n- Tom & Jerry {name} (" + date(18) + ", 2 days overdue)\n- Heat (" +
                        date(21) + ", due in 1 day)\n" + date(20) + " {x}");
  EXPECT_TRUE(
      Reminders::FillTemplate(Reminders::DefaultTemplate(), ann, kToday).startsWith("Hi Ann,\n\n"));

  const QString url = Reminders::MailtoUrl(ann, "Due & back?", "a+b\nc=d");
  EXPECT_EQ(url,
            "mailto:ann%2Bfilms@example.org?subject=Due%20%26%20back%3F&body=a%2Bb%0D%0Ac%3Dd");

  EXPECT_EQ(Reminders::RemindedText({}, kToday), "never reminded");
  EXPECT_EQ(Reminders::RemindedText(kToday.addDays(-2), kToday), "reminded 2 days ago");

  // The template and the days are settings; the default is not stored as the user's own.
  Reminders::SetTemplate(db, "Dear {name}");
  EXPECT_EQ(Reminders::Template(db), "Dear {name}");
  Reminders::SetTemplate(db, "  ");
  EXPECT_EQ(Reminders::Template(db), Reminders::DefaultTemplate());
  EXPECT_EQ(Reminders::WithinDays(db), 2);
  Reminders::SetWithinDays(db, 5);
  EXPECT_EQ(Reminders::WithinDays(db), 5);
}

// A reminder is noted on the borrower's open loans only, in one go, and announced once it has
// committed; the list then says when.
TEST_F(RemindersTest, ReminderIsNotedOnTheOpenLoansAndAnnounced) {
  Lend("Alien", "Ann", -5);
  ASSERT_EQ(ReturnDVD(db, "Alien"), DVDOutcome::Saved);
  CustomerFunctions::Customer ann;
  ann.name = "Ann";
  ASSERT_EQ(LendDVD(db, "Alien", ann, kToday.addDays(-3), kToday.addDays(-1)), DVDOutcome::Saved);
  Lend("Heat", "Ann", 1);
  QStringList announced;
  const auto connection =
      QObject::connect(&ChangeNotice::Instance(), &ChangeNotice::BorrowersChanged,
                       [&](const QStringList& names) { announced << names; });

  Reminders::RecordReminder(db, Reminders::DueBorrower(db, "Ann", kToday.addDays(-2), 3),
                            kToday.addDays(-2));
  Reminders::RecordReminder(db, Reminders::DueBorrower(db, "Ann", kToday, 0), kToday);
  QObject::disconnect(connection);

  EXPECT_EQ(announced, QStringList({"Ann", "Ann"}));
  EXPECT_EQ(db.Column("SELECT DVDTitle || '|' || Reminders || '|' || ifnull(LastReminded, '-') "
                      "FROM Loans ORDER BY LoanID"),
            QStringList({"Alien|0|-", "Alien|2|2026-12-20", "Heat|1|2026-12-18"}));
  const auto listed = Reminders::DueBorrowers(db, kToday, 2);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].reminders, 2);
  EXPECT_EQ(Reminders::RemindedText(listed[0].lastReminded, kToday), "reminded today");
}

// An older phone book gains the e-mail column at its end; its rows stay and read an empty
// address, and a new address is stored there.
TEST(CustomersUpgradeTest, OlderPhoneBookGainsTheEmailColumnAtItsEnd) {
  testsupport::TempDatabase db;
  db.Db()->ExecuteRaw(
      "DROP TABLE Customers; CREATE TABLE Customers (Name TEXT, Address TEXT, City TEXT, "
      "State TEXT, Zip TEXT, Phone TEXT, Fax TEXT, Cell TEXT, Notes TEXT);"
      "INSERT INTO Customers VALUES ('Ann', '1 Main St', '', '', '', '555', '', '', 'late');");
  CustomerFunctions::InitCustomers(db.Db());
  EXPECT_EQ(db.Column("SELECT name FROM pragma_table_info('Customers')").last(), "Email");
  auto ann = CustomerFunctions::FindCustomer(db, "Ann");
  ASSERT_TRUE(ann);
  EXPECT_EQ(ann->Text(CustomerFunctions::Field::Phone), "555");
  EXPECT_EQ(ann->Text(CustomerFunctions::Field::Email), "");
  ann->Text(CustomerFunctions::Field::Email) = "ann@example.org";
  CustomerFunctions::SaveCustomer(db, *ann, CustomerFunctions::NameSpelling::Stored);
  EXPECT_EQ(db.Column("SELECT Notes || '|' || Email FROM Customers"),
            QStringList({"late|ann@example.org"}));
}

}  // namespace
