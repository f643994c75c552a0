// The loan history: what the DVD writes leave in it, how late a loan was, and its first start
// on a file that had none.
#include "inventory/LoanJournal.h"

#include <gtest/gtest.h>

#include "ChildProcess.h"
#include "TestSupport.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"
#include "upkeep/DatabaseMaintenance.h"

using namespace InventoryFunctions;

namespace {

class LoanJournalTest : public ::testing::Test {
 protected:
  QStringList Loans(const QString& where = "1") const {
    return db.Column(
        "SELECT LoanID || '|' || DVDTitle || '|' || Name || '|' || OutDate || '|' || "
        "ifnull(FirstDueDate, '-') || '|' || DueDate || '|' || ifnull(ReturnDate, '-') FROM Loans "
        "WHERE " +
        where + " ORDER BY LoanID");
  }
  static CustomerFunctions::Customer Borrower(const QString& name) {
    CustomerFunctions::Customer customer;
    customer.name = name;
    return customer;
  }
  // The file as an older program left it: no history, Ann has one DVD, another is in stock.
  void MakeOlderFile() {
    db.AddDvd("Heat", {}, 1, "Ann", "2026-11-20", "2026-11-27");
    db.AddDvd("Alien");
    db.Db()->ExecuteRaw("DROP TABLE Loans");
  }

  testsupport::TempDatabase db;
  testsupport::FixedClock clock{QDate(2026, 12, 20)};
};

TEST_F(LoanJournalTest, EachLoanWriteKeepsItsRowInTheSameTransaction) {
  db.AddDvd("O'Brien's Day");
  ASSERT_EQ(LendDVD(db, "O'Brien's Day", Borrower("Ann"), QDate(2026, 12, 1), QDate(2026, 12, 8)),
            DVDOutcome::Saved);
  ASSERT_EQ(
      ChangeLoan(db, "o'brien's day", Borrower("Bob"), QDate(2026, 12, 1), QDate(2026, 12, 10)),
      DVDOutcome::Saved);
  DVDRecord renamed;
  renamed.title = "O'Brien's Night";
  ASSERT_EQ(UpdateDVD(db, "O'Brien's Day", renamed), DVDOutcome::Saved);
  ASSERT_EQ(ReturnDVD(db, "O'Brien's Night"), DVDOutcome::Saved);
  ASSERT_EQ(
      LendDVD(db, "O'Brien's Night", Borrower("Ann"), QDate(2026, 12, 18), QDate(2026, 12, 25)),
      DVDOutcome::Saved);
  EXPECT_EQ(Loans(),
            QStringList({"1|O'Brien's Night|Bob|2026-12-01|2026-12-08|2026-12-10|2026-12-20",
                         "2|O'Brien's Night|Ann|2026-12-18|2026-12-25|2026-12-25|-"}));

  // A history write that fails takes the DVD's own write back with it.
  db.AddDvd("Heat");
  db.Db()->ExecuteRaw(
      "CREATE TRIGGER NoLoan BEFORE INSERT ON Loans BEGIN "
      "SELECT RAISE(ABORT, 'refused'); END");
  EXPECT_ANY_THROW(LendDVD(db, "Heat", Borrower("Carl"), QDate(2026, 12, 19), QDate(2026, 12, 26)));
  EXPECT_EQ(db.Column("SELECT Status FROM Inventory WHERE DVDTitle = 'Heat'"), QStringList{"0"});
  db.Db()->ExecuteRaw("DROP TRIGGER NoLoan");

  // Deleting the DVD or its borrower keeps the history.
  ASSERT_EQ(DeleteDVD(db, "O'Brien's Night"), DVDOutcome::Saved);
  db.Db()->ExecuteRaw("DELETE FROM Customers");
  EXPECT_EQ(LoansOfBorrower(db, "ann").size(), 1u);
  EXPECT_EQ(LoansOfDVD(db, "O'BRIEN'S NIGHT").front().name, "Ann");
}

// Other tools order "Émile" and "élodie" differently from the program, so the history keeps no
// index by name or title that they would find out of order, also in a file that had them.
TEST_F(LoanJournalTest, TheStockShellFindsAFileWithHistorySound) {
  db.Db()->ExecuteRaw("CREATE INDEX IF NOT EXISTS LoansByName ON Loans (Name)");
  DatabaseMaintenance::InitTablesOn(db.Db());
  db.AddDvd("Heat");
  db.AddDvd("Alien");
  ASSERT_EQ(LendDVD(db, "Heat", Borrower("Émile"), QDate(2026, 12, 1), QDate(2026, 12, 8)),
            DVDOutcome::Saved);
  ASSERT_EQ(LendDVD(db, "Alien", Borrower("élodie"), QDate(2026, 12, 1), QDate(2026, 12, 8)),
            DVDOutcome::Saved);
  EXPECT_EQ(testsupport::Sqlite3Shell(db.Path(), "PRAGMA integrity_check"), "ok");
}

TEST_F(LoanJournalTest, LateIsMeasuredByTheDayTheDVDCameBack) {
  const QDate today(2026, 12, 20);
  auto loan = [](QDate out, QDate due, QDate back) {
    Loan l;
    l.out = out;
    l.due = due;
    l.returned = back;
    return l;
  };
  const std::vector<Loan> loans = {
      loan({2026, 12, 15}, {2026, 12, 17}, {}),            // open, 3 days late so far
      loan({2026, 11, 1}, {2026, 11, 8}, {2026, 11, 11}),  // back 3 days late
      loan({2026, 10, 1}, {2026, 10, 8}, {2026, 10, 5}),   // back early
      loan({2026, 9, 1}, {2026, 9, 8}, {2026, 9, 8}),      // back on the day
  };
  EXPECT_EQ(DaysLate(loans[1], today), 3);
  EXPECT_EQ(DaysLate(loans[2], today), 0);
  const LoanSummary summary = Summarize(loans, today);
  EXPECT_EQ(DVDSummaryText(summary), "Lent 4 times, 26 days out in all, late 2 times");
  EXPECT_EQ(BorrowerSummaryText(summary), "Borrowed 4, late 2, on average 3 days late");
  EXPECT_EQ(BorrowerSummaryText(Summarize({loans[2]}, today)), "Borrowed 1, late 0");
}

TEST_F(LoanJournalTest, AnOlderFileGetsItsOpenLoansOnceAtItsFirstStart) {
  MakeOlderFile();
  DatabaseMaintenance::InitTablesOn(db.Db());
  EXPECT_EQ(Loans(), QStringList({"1|Heat|Ann|2026-11-20|2026-11-27|2026-11-27|-"}));
  EXPECT_EQ(DaysLate(LoansOfDVD(db, "Heat").front(), QDate(2026, 12, 20)), 23);

  // A file that has the history is never filled again, even when a loan is missing from it.
  db.Db()->ExecuteRaw("DELETE FROM Loans");
  DatabaseMaintenance::InitTablesOn(db.Db());
  EXPECT_EQ(Loans(), QStringList());
}

TEST_F(LoanJournalTest, AKilledFirstStartLeavesTheOlderFileAndTheNextStartFinishes) {
  MakeOlderFile();
  DatabaseMaintenance::Close(db);
  const char* kEverything = "SELECT group_concat(name) FROM sqlite_master WHERE type = 'table'";
  const QString before = testsupport::Sqlite3Shell(db.Path(), kEverything);
  const auto result = childtest::RunInChild([&] {
    SetLoanJournalStartHook([] { ::raise(SIGKILL); });
    DatabaseMaintenance::Open(db, db.Path());
    return 0;
  });
  ASSERT_EQ(result.signal, SIGKILL);
  // The hot journal beside the file puts the older file back at the next opening.
  DatabaseFunctions::OpenOrCreateDatabase(db.Path())->Close();
  EXPECT_EQ(testsupport::Sqlite3Shell(db.Path(), kEverything), before);
  EXPECT_FALSE(before.contains("Loans"));

  DatabaseMaintenance::Open(db, db.Path());
  EXPECT_EQ(Loans().size(), 1u);
}

TEST_F(LoanJournalTest, AHistoryMissingColumnsGainsThemAndNumbersItsRows) {
  db.Db()->ExecuteRaw("DROP TABLE Loans");
  db.Db()->ExecuteRaw(
      "CREATE TABLE Loans (DVDTitle TEXT, Name TEXT, OutDate DATE, DueDate DATE, ReturnDate DATE)");
  db.Db()->ExecuteRaw("INSERT INTO Loans VALUES ('Heat', 'Ann', '2026-01-01', '2026-01-08', NULL)");
  DatabaseMaintenance::InitTablesOn(db.Db());
  db.AddDvd("Alien");
  ASSERT_EQ(LendDVD(db, "Alien", Borrower("Bob"), QDate(2026, 12, 1), QDate(2026, 12, 8)),
            DVDOutcome::Saved);
  EXPECT_EQ(Loans(), QStringList({"1|Heat|Ann|2026-01-01|-|2026-01-08|-",
                                  "2|Alien|Bob|2026-12-01|2026-12-08|2026-12-08|-"}));
}

}  // namespace
