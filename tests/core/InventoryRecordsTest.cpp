// The program's statements on Inventory and Customers, run on a real file.
#include "inventory/InventoryRecords.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/Database.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "inventory/ListOrder.h"
#include "settings/SettingsManager.h"

using namespace InventoryFunctions;

namespace {

class InventoryRecordsTest : public ::testing::Test {
 protected:
  // Each row's `columns` (comma-separated) joined by '|'; `rest` follows the FROM.
  QStringList Rows(const QString& columns, const QString& rest = "Inventory") const {
    return db.Column("SELECT " + columns.split(", ").join(" || '|' || ") + " FROM " + rest);
  }

  QStringList ListTitles() {
    QStringList titles;
    ReadDVDs(db, DVDQuery::List(), {}, [&](const DVDRecord& dvd) { titles << dvd.title; });
    return titles;
  }

  testsupport::TempDatabase db;
};

TEST_F(InventoryRecordsTest, ListIsLentFirstByDueDateThenTitleAndReadsOnlyWantedFields) {
  db.AddDvd("Zoolander", "Comedy");
  db.AddDvd("amélie", "Comedy");
  db.AddDvd("Stardust", {}, 3);
  db.AddDvd("Heat", {}, 1, "Ann", "2026-11-01", "2026-12-05");
  db.AddDvd("Alien", {}, 1, "Bob", "2026-11-01", "2026-12-01");
  EXPECT_EQ(ListTitles(), QStringList({"Stardust", "Alien", "Heat", "amélie", "Zoolander"}));

  std::vector<DVDRecord> rows;
  ReadDVDs(db, DVDQuery::List(), {DVDField::Category},
           [&](const DVDRecord& dvd) { rows.push_back(dvd); });
  ASSERT_EQ(rows.size(), 5u);
  // The name is not wanted, so not read.
  EXPECT_EQ(QStringList({rows[2].name, QString::number(rows[2].status),
                         rows[2].dueDate.date().toString(Qt::ISODate), rows[4].category}),
            QStringList({"", "1", "2026-12-05", "Comedy"}));
}

TEST_F(InventoryRecordsTest, ListOrderKeptWithoutSortKeysIsMadeAnewAndSortsLikeTheList) {
  db.AddDvd("A", "drama");
  db.AddDvd("B", "Comedy");
  db.AddDvd("C", "Drama");
  testsupport::Sqlite3Shell(db.Path(),
                            "DROP TABLE ListOrder; CREATE TABLE ListOrder (DVD INTEGER PRIMARY "
                            "KEY, Status INTEGER, DueDate DATE, TitleKey BLOB);");
  CreateListOrderTable(db.Db());
  const std::optional<SortedIds> sorted = ReadSortedIds(db, DVDField::Category);
  ASSERT_TRUE(sorted);
  EXPECT_EQ(sorted->ids, std::vector<qint64>({2, 1, 3}));  // equal keys by rowid
  EXPECT_EQ(sorted->sameText, std::vector<bool>({false, false, true}));
}

TEST_F(InventoryRecordsTest, BarCodeKeysAddedToAnOlderListOrderFollowOtherProgramsWrites) {
  db.AddDvd("Heat", {}, 0, {}, "2000-01-01", "2000-01-01", "12-3");
  EXPECT_TRUE(IsDVD(db, "123"));  // its keys kept
  testsupport::Sqlite3Shell(db.Path(),
                            "DROP INDEX ListOrderBarCode; ALTER TABLE ListOrder DROP BarCodeKey;");
  CreateListOrderTable(db.Db());
  EXPECT_EQ(TitleOfBarCode(db, "123"), "Heat");
  testsupport::Sqlite3Shell(db.Path(), "UPDATE Inventory SET DVDTitle = 'Alien', BarCode = 'x9'");
  EXPECT_FALSE(IsDVD(db, "123"));
  EXPECT_EQ(TitleOfBarCode(db, "X9"), "Alien");
  EXPECT_FALSE(FindDVD(db, "Heat"));
}

TEST_F(InventoryRecordsTest, ListColumnsFollowShowInListInTheTablesOrder) {
  auto captions = [this] {
    QStringList texts;
    for (const ListColumn& column : ListColumns(db)) texts << column.key + '=' + column.caption;
    return texts;
  };
  EXPECT_EQ(captions(), QStringList({"DVDTitle=Title", "Category=Category", "Starring=Starring",
                                     "Rated=Rated", "Status=Status", "DueDate=Due Date"}));
  auto table = DatabaseFunctions::FindTableDef(db.Db(), "Inventory");
  ASSERT_TRUE(table);
  DatabaseFunctions::EnsureFieldProperty(*table, "Category", "ShowInList",
                                         DatabaseFunctions::dbBoolean, false);
  DatabaseFunctions::EnsureFieldProperty(*table, "Date", "ShowInList", DatabaseFunctions::dbBoolean,
                                         true);
  EXPECT_EQ(captions(), QStringList({"DVDTitle=Title", "Starring=Starring", "Rated=Rated",
                                     "Status=Status", "Date=Loaned Date", "DueDate=Due Date"}));
}

TEST_F(InventoryRecordsTest, LookUpsIgnoreLetterCaseAndKeepQuotesAndLeadingZeros) {
  db.AddDvd("Schindler's List", "Drama", 1, "Ann", "2026-11-20", "2026-12-01", "007", "R",
            "Liam Neeson", "one\r\ntwo");
  const auto dvd = FindDVD(db, "SCHINDLER'S LIST");
  ASSERT_TRUE(dvd);
  EXPECT_EQ(QStringList({dvd->title, dvd->starring, dvd->description,
                         dvd->outDate.date().toString(Qt::ISODate)}),
            QStringList({"Schindler's List", "Liam Neeson", "one\r\ntwo", "2026-11-20"}));
  EXPECT_FALSE(FindDVD(db, "Schindler"));

  EXPECT_TRUE(IsDVD(db, "007"));
  EXPECT_FALSE(IsDVD(db, "7"));
  EXPECT_FALSE(IsDVD(db, "0'7"));
  EXPECT_EQ(TitleOfBarCode(db, "007"), "Schindler's List");
  EXPECT_FALSE(TitleOfBarCode(db, "' OR ''='"));

  const auto loan = FindLoanState(db, "schindler's list");
  ASSERT_TRUE(loan);
  EXPECT_EQ(std::pair(loan->status, loan->name), std::pair(1, QString("Ann")));

  db.AddDvd("Alien", {}, 0, "Ann");  // in stock, whatever name is left in the row
  db.AddDvd("Heat", {}, 1, "Ann O'Neil");
  EXPECT_EQ(TitlesLentTo(db, "ann"), QStringList({"Schindler's List"}));
  EXPECT_EQ(TitlesLentTo(db, "Ann O'Neil"), QStringList({"Heat"}));
}

TEST_F(InventoryRecordsTest, ChoiceListsHoldEachStoredValueOnceWithoutEmpties) {
  db.AddDvd("B", "Drama", 0, {}, "2000-01-01", "2000-01-01", {}, "PG", "Ann");
  db.AddDvd("a", "comedy", 0, {}, "2000-01-01", "2000-01-01", {}, "PG");
  db.AddDvd("C", "Comedy");
  EXPECT_EQ(DistinctValues(db, DVDField::Category).size(), 2);
  EXPECT_EQ(DistinctValues(db, DVDField::Category).last(), "Drama");
  EXPECT_EQ(DistinctValues(db, DVDField::Rated), QStringList({"PG"}));
  EXPECT_EQ(DistinctValues(db, DVDField::Starring), QStringList({"Ann"}));
  EXPECT_EQ(DistinctValues(db, DVDField::Title), QStringList({"a", "B", "C"}));
}

TEST_F(InventoryRecordsTest, MarkMovesWithOwnWritesAndOtherConnectionsCommits) {
  db.AddDvd("Heat");
  const InventoryMark start = CurrentInventoryMark(db);
  FindDVD(db, "Heat");
  // Own writes to the other tables leave what the DVD views show.
  db.AddCustomer("Ann");
  SettingsManager::WriteSetting(db, "DVDList_Sorted", true);
  EXPECT_EQ(CurrentInventoryMark(db), start);
  db.Db()->Execute(QStringLiteral("UPDATE Inventory SET Status = 0"));
  const InventoryMark written = CurrentInventoryMark(db);
  EXPECT_NE(written, start);

  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(db.Path().toUtf8().constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "UPDATE Inventory SET Rated = 'R'", nullptr, nullptr, nullptr),
            SQLITE_OK);
  sqlite3_close(other);
  EXPECT_NE(CurrentInventoryMark(db), written);
}

}  // namespace
