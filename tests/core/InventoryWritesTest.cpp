// The writes a user makes to the DVDs: their rules, their outcomes, and the one change notice
// that follows a commit. (The phone book's own writes are PhoneBookEntryTest's.)
#include "inventory/InventoryWrites.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/ChangeNotice.h"
#include "app/DatabaseError.h"
#include "data/Database.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/InventoryRecords.h"
#include "phonebook/CustomerRecords.h"

using namespace InventoryFunctions;
using CustomerFunctions::Customer;
using CustomerFunctions::Field;

namespace {

// What the change notice says while it is alive.
struct Heard {
  Heard() {
    ChangeNotice& notice = ChangeNotice::Instance();
    QObject::connect(&notice, &ChangeNotice::DVDsChanged, &context,
                     [this](const Changes::DVDs& change) { dvds.push_back(change); });
    QObject::connect(&notice, &ChangeNotice::BorrowersChanged, &context,
                     [this](const QStringList& names) { borrowers << names; });
  }
  QObject context;
  std::vector<Changes::DVDs> dvds;
  QStringList borrowers;
};

class InventoryWritesTest : public ::testing::Test {
 protected:
  // Each row's `columns` (comma-separated) joined by '|'; `rest` follows the FROM.
  QStringList Rows(const QString& columns, const QString& rest = "Inventory") const {
    return db.Column("SELECT " + columns.split(", ").join(" || '|' || ") + " FROM " + rest);
  }

  static Customer Borrower(const QString& name, const QString& phone) {
    Customer customer;
    customer.name = name;
    customer.Text(Field::Phone) = phone;
    customer.Text(Field::Notes) = "first line\r\nsecond";
    return customer;
  }

  static DVDRecord Dvd(const QString& title, const QString& barCode = {}) {
    DVDRecord dvd;
    dvd.title = title;
    dvd.barCode = barCode;
    return dvd;
  }

  const Changes::DVDs& Change(size_t i = 0) const { return heard.dvds.at(i); }

  testsupport::TempDatabase db;
  Heard heard;
  const std::vector<Changes::DVDs>& dvds = heard.dvds;
  const QStringList& borrowers = heard.borrowers;
};

TEST_F(InventoryWritesTest, AddAndEditWriteOnlyTheCatalogueAndAnnounceWhatChanged) {
  DVDRecord dvd = Dvd("O'Brien's Day", "0042");
  dvd.category = "Drama";
  ASSERT_EQ(AddDVD(db, dvd), DVDOutcome::Saved);
  EXPECT_EQ(Rows("DVDTitle, Status, Date, DueDate, Rated, BarCode"),
            QStringList({"O'Brien's Day|0|2000-01-01|2000-01-01||0042"}));
  ASSERT_EQ(dvds.size(), 1u);
  EXPECT_EQ(Change().titles, QStringList({"O'Brien's Day"}));
  EXPECT_FALSE(Change().was);
  EXPECT_EQ(Change().now->category, "Drama");
  EXPECT_NE(Change().before, Change().after);
  EXPECT_EQ(Change().after, CurrentInventoryMark(db));

  ASSERT_EQ(LendDVD(db, dvd.title, Borrower("Ann", "1"), QDate(2026, 12, 1), QDate(2026, 12, 8)),
            DVDOutcome::Saved);
  dvd.title = "O'Brien's Night";
  dvd.rated = "PG";
  EXPECT_EQ(UpdateDVD(db, "O'Brien's Day", dvd), DVDOutcome::Saved);
  EXPECT_EQ(Rows("DVDTitle, Status, Name, DueDate, Rated"),
            QStringList({"O'Brien's Night|1|Ann|2026-12-08|PG"}));
  EXPECT_EQ(Change(2).titles, QStringList({"O'Brien's Day", "O'Brien's Night"}));
  EXPECT_EQ(Change(2).was->title, "O'Brien's Day");
  EXPECT_EQ(UpdateDVD(db, "Missing", Dvd("Missing")), DVDOutcome::Gone);
  EXPECT_EQ(dvds.size(), 3u);
}

TEST_F(InventoryWritesTest, TitlesAndBarCodesBelongToOneDVDAndARefusalWritesNothing) {
  db.AddDvd("star wars", {}, 0, {}, "2000-01-01", "2000-01-01", "111");
  db.AddDvd("Alien", {}, 0, {}, "2000-01-01", "2000-01-01", "222");
  EXPECT_EQ(AddDVD(db, Dvd("")), DVDOutcome::TitleMissing);
  EXPECT_EQ(AddDVD(db, Dvd("ALIEN")), DVDOutcome::TitleTaken);
  EXPECT_EQ(AddDVD(db, Dvd("Heat", "222")), DVDOutcome::BarCodeTaken);
  // The edited DVD itself is no duplicate: its own bar code, or its title in other letter case.
  EXPECT_EQ(UpdateDVD(db, "star wars", Dvd("Star Wars", "111")), DVDOutcome::Saved);
  EXPECT_EQ(UpdateDVD(db, "Star Wars", Dvd("alien")), DVDOutcome::TitleTaken);
  EXPECT_EQ(UpdateDVD(db, "Star Wars", Dvd("Star Wars", "222")), DVDOutcome::BarCodeTaken);
  EXPECT_EQ(UpdateDVD(db, "Star Wars", Dvd("")), DVDOutcome::TitleMissing);
  // Blanks around a title are no part of it; bar codes compare as a scan gives them.
  EXPECT_EQ(AddDVD(db, Dvd("    ")), DVDOutcome::TitleMissing);
  EXPECT_EQ(AddDVD(db, Dvd("Alien ")), DVDOutcome::TitleTaken);
  EXPECT_EQ(AddDVD(db, Dvd("Heat", "2-2 2")), DVDOutcome::BarCodeTaken);
  EXPECT_EQ(dvds.size(), 1u);
  // A second row of the same title (written by another tool) is another DVD.
  db.AddDvd("STAR WARS");
  EXPECT_EQ(UpdateDVD(db, "Star Wars", Dvd("Star wars")), DVDOutcome::TitleTaken);
  EXPECT_EQ(AddDVD(db, Dvd(" Heat ", "33-3")), DVDOutcome::Saved);
  EXPECT_EQ(TitleOfBarCode(db, "333"), "Heat");
  EXPECT_EQ(Rows("DVDTitle, BarCode", "Inventory ORDER BY rowid"),
            QStringList({"Star Wars|111", "Alien|222", "STAR WARS|", "Heat|33-3"}));
}

// Bytes another tool wrote that are not UTF-8 are read with U+FFFD in their place; the title the
// list shows must still find its DVD.
TEST_F(InventoryWritesTest, ATitleThatIsNotUtf8IsUsableByEveryCommand) {
  db.Db()->Execute(
      QStringLiteral("INSERT INTO Inventory (DVDTitle) VALUES (CAST(X'416DE96C6965' AS TEXT))"));
  const QString title = DistinctValues(db, DVDField::Title).value(0);
  ASSERT_EQ(title, QStringLiteral("Am\uFFFDlie"));
  EXPECT_EQ(LendDVD(db, title, Borrower("Ann", "1"), QDate(2026, 12, 1), QDate(2026, 12, 8)),
            DVDOutcome::Saved);
  EXPECT_EQ(ReturnDVD(db, title), DVDOutcome::Saved);
  EXPECT_EQ(UpdateDVD(db, title, Dvd(title, "9")), DVDOutcome::Saved);
  EXPECT_EQ(DeleteDVD(db, title), DVDOutcome::Saved);
}

TEST_F(InventoryWritesTest, DeleteRemovesEveryRowOfTheTitleAndNothingElse) {
  db.AddDvd("Twice");
  db.AddDvd("twice");
  db.AddDvd("Other");
  EXPECT_EQ(DeleteDVD(db, "TWICE"), DVDOutcome::Saved);
  EXPECT_EQ(DeleteDVD(db, "Twice"), DVDOutcome::Gone);
  EXPECT_EQ(Rows("DVDTitle"), QStringList({"Other"}));
  ASSERT_EQ(dvds.size(), 1u);
  EXPECT_FALSE(Change().now);
  EXPECT_FALSE(Change().catalogueKept);
}

TEST_F(InventoryWritesTest, LendingAddsANewBorrowerOrUpdatesTheStoredOneInOneChange) {
  db.AddDvd("Heat");
  db.AddDvd("Alien");
  db.AddCustomer("Ann Lee", "old");

  ASSERT_EQ(LendDVD(db, "Heat", Borrower("Bob", "555"), QDate(2026, 12, 1), QDate(2026, 12, 8)),
            DVDOutcome::Saved);
  ASSERT_EQ(
      ChangeLoan(db, "Alien", Borrower("ANN LEE", "new"), QDate(2026, 12, 2), QDate(2026, 12, 2)),
      DVDOutcome::Saved);
  EXPECT_EQ(
      Rows("DVDTitle, Status, Name, Date, DueDate", "Inventory ORDER BY DVDTitle"),
      QStringList({"Alien|1|ANN LEE|2026-12-02|2026-12-02", "Heat|1|Bob|2026-12-01|2026-12-08"}));
  // The stored spelling of a known name stays; its fields follow the loan.
  EXPECT_EQ(Rows("Name, Phone, Notes", "Customers ORDER BY Name"),
            QStringList({"Ann Lee|new|first line\r\nsecond", "Bob|555|first line\r\nsecond"}));
  ASSERT_EQ(dvds.size(), 2u);
  EXPECT_TRUE(Change().catalogueKept);
  EXPECT_EQ(borrowers.size(), 2);

  EXPECT_EQ(LendDVD(db, "Missing", Borrower("Cy", ""), QDate(2026, 12, 1), QDate(2026, 12, 2)),
            DVDOutcome::Gone);
  EXPECT_EQ(LendDVD(db, "Heat", Borrower("", ""), QDate(2026, 12, 1), QDate(2026, 12, 2)),
            DVDOutcome::NameMissing);
  EXPECT_EQ(ChangeLoan(db, "Heat", Borrower("Cy", ""), QDate(2026, 12, 2), QDate(2026, 12, 1)),
            DVDOutcome::DueBeforeOut);
  EXPECT_FALSE(CustomerFunctions::FindCustomer(db, "Cy"));
  EXPECT_EQ(dvds.size(), 2u);
}

TEST_F(InventoryWritesTest, ALoanThatCannotStoreItsBorrowerLeavesTheDVDInStockUnannounced) {
  db.AddDvd("Heat");
  // Another tool made the phone book read-only behind the program's back.
  db.Db()->Execute(QStringLiteral(
      "CREATE TRIGGER no_new_people BEFORE INSERT ON Customers BEGIN SELECT RAISE(ABORT, "
      "'refused'); END"));
  EXPECT_THROW(LendDVD(db, "Heat", Borrower("Bob", "555"), QDate(2026, 12, 1), QDate(2026, 12, 8)),
               DatabaseError);
  EXPECT_EQ(Rows("Status, Name"), QStringList({"0|"}));
  EXPECT_TRUE(dvds.empty() && borrowers.isEmpty());
  // What an unfinished write held back is gone: the next write announces only itself.
  ASSERT_EQ(ReturnDVD(db, "Heat"), DVDOutcome::Saved);
  EXPECT_EQ(borrowers.size(), 0);
}

// Another program lent Heat and lent Alien to someone else while this one's dialogs were open.
TEST_F(InventoryWritesTest, ALoanWriteOverADVDThatMovedMeanwhileWritesNothingAndAnnouncesIt) {
  db.AddDvd("Heat", {}, 1, "Cy", "2026-11-01", "2026-11-08");
  db.AddDvd("Alien", {}, 1, "Ann", "2026-11-01", "2026-11-08");
  const LoanSeen inStock{InStock, ""};
  const LoanSeen lentToBob{Loaned, "Bob"};
  const QDate out(2026, 12, 1);
  EXPECT_EQ(LendDVD(db, "Heat", Borrower("Dee", "1"), out, out, inStock), DVDOutcome::LoanMoved);
  EXPECT_EQ(ChangeLoan(db, "Alien", Borrower("Dee", "1"), out, out, lentToBob),
            DVDOutcome::LoanMoved);
  EXPECT_EQ(ReturnDVD(db, "Alien", lentToBob), DVDOutcome::LoanMoved);
  EXPECT_EQ(Rows("DVDTitle, Status, Name, Date", "Inventory ORDER BY DVDTitle"),
            QStringList({"Alien|1|Ann|2026-11-01", "Heat|1|Cy|2026-11-01"}));
  EXPECT_FALSE(CustomerFunctions::FindCustomer(db, "Dee"));
  ASSERT_EQ(dvds.size(), 3u);
  EXPECT_EQ(Change().titles, QStringList({"Heat"}));
  EXPECT_EQ(ReturnDVD(db, "Alien", LoanSeen{Loaned, "Ann"}), DVDOutcome::Saved);
}

TEST_F(InventoryWritesTest, ReturningKeepsTheDatesAndForgetsTheBorrower) {
  db.AddDvd("Heat", {}, 1, "Ann", "2026-11-01", "2026-11-08");
  EXPECT_EQ(ReturnDVD(db, "heat"), DVDOutcome::Saved);
  EXPECT_EQ(ReturnDVD(db, "Alien"), DVDOutcome::Gone);
  EXPECT_EQ(Rows("Status, Name, Date, DueDate"), QStringList({"0||2026-11-01|2026-11-08"}));
}

TEST(ChangeBatchTest, NestedWritesAreAnnouncedOnceMergedAfterTheOutermostCommit) {
  Heard heard;
  {
    Changes::Batch outer;
    for (const char* title : {"A", "B"}) {
      Changes::Batch inner;
      Changes::DVDs change;
      change.titles = {title};
      change.now = Changes::CatalogueValues{title, {}, {}, {}};
      Changes::Announce(change);
      inner.Commit();
    }
    EXPECT_TRUE(heard.dvds.empty());
    outer.Commit();
  }
  ASSERT_EQ(heard.dvds.size(), 1u);
  EXPECT_EQ(heard.dvds[0].titles, QStringList({"A", "B"}));
  // Several DVDs: no one change the lists of distinct values could take in.
  EXPECT_FALSE(heard.dvds[0].now);
}

}  // namespace
