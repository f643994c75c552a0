// The status report's lines, the overdue count and the inventory list, on a real file with
// today fixed at 4 December 2026.
#include "inventory/StatusReport.h"

#include <gtest/gtest.h>

#include <QLocale>

#include "TestSupport.h"
#include "settings/SettingsManager.h"

using namespace InventoryFunctions;

namespace {

const QDate kToday(2026, 12, 4);

class StatusReportTest : public ::testing::Test {
 protected:
  void SetUp() override { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
  void TearDown() override { QLocale::setDefault(QLocale::c()); }

  // A lent DVD: out on 20 November, due `due`.
  void Lend(const QString& title, const QString& name, const QString& due) {
    db.AddDvd(title, {}, 1, name, "2026-11-20", due);
  }

  testsupport::TempDatabase db;
};

const QStringList kHead = {"******* DVD Report *******", "", "*** Totals ***", ""};

TEST_F(StatusReportTest, EmptyCollectionGivesTheShortReport) {
  EXPECT_EQ(StatusReportLines(db, kToday), kHead + QStringList({"Total DVDs: 0."}));
  EXPECT_EQ(OverdueCount(db, kToday), 0);
  EXPECT_TRUE(InventoryTitles(db).isEmpty());
}

// Due today is lent, not overdue; status 3 counts in the total only; a borrower gone from the
// phone book keeps the title and name only, one without a phone reads NOT ENTERED; a name with an
// apostrophe is found; a lent DVD without a name (another tool's row) is listed by title. Every
// list is in title order, letter case ignored.
TEST_F(StatusReportTest, TotalsAndBreakDownListsFollowTheBorrowersAndSortByTitle) {
  db.AddCustomer("O'Brien", "555-0303");
  db.AddCustomer("Cy");
  db.AddCustomer("Ann", "555-0101");
  Lend("zodiac", "o'brien", "2026-11-24");
  Lend("Brazil", "Gone", "2026-12-01");
  Lend("Amélie", "Cy", "2026-12-04");
  Lend("Heat", "Ann", "2026-12-05");
  Lend("Nameless", QString(), "2026-12-09");
  db.Db()->Execute("UPDATE Inventory SET Name = NULL WHERE DVDTitle = 'Nameless'");
  db.AddDvd("Sold One", {}, 3, {}, "2026-01-01", "2026-01-02");
  db.AddDvd("yojimbo");
  db.AddDvd("Batman");

  EXPECT_EQ(
      StatusReportLines(db, kToday),
      kHead + QStringList({"Total DVDs: 8", "- Total Loaned: 5", "- Total Overdue: 2",
                           "- Total In Stock: 2", "", "*** Break Down ***", "",
                           "-- DVDs Overdue --", "Brazil, Loaned To: Gone",
                           "zodiac, Loaned To: o'brien, Phone: 555-0303, Out Date: "
                           "11/20/2026, Due Date: 11/24/2026, Days Overdue: 10",
                           "", "-- DVDs Loaned--", "Amélie, Loaned To: Cy, Phone: NOT ENTERED",
                           "Heat, Loaned To: Ann, Phone: 555-0101", "Nameless", "",
                           "-- DVDs In Stock--", "Batman", "yojimbo"}));
  EXPECT_EQ(OverdueCount(db, kToday), 2);
}

TEST_F(StatusReportTest, AListWithoutADVDReadsNone) {
  Lend("Heat", "Ann", "2026-12-05");
  EXPECT_EQ(StatusReportLines(db, kToday),
            kHead + QStringList({"Total DVDs: 1", "- Total Loaned: 1", "- Total Overdue: 0",
                                 "- Total In Stock: 0", "", "*** Break Down ***", "",
                                 "-- DVDs Overdue --", "None.", "", "-- DVDs Loaned--",
                                 "Heat, Loaned To: Ann", "", "-- DVDs In Stock--", "None."}));
}

TEST_F(StatusReportTest, InventoryTitlesAreInTitleOrderWithAnAbsentTitleEmpty) {
  db.AddDvd("yojimbo");
  db.AddDvd("Batman", {}, 1, "Ann", "2026-11-20", "2026-11-21");
  db.Db()->Execute("INSERT INTO Inventory (DVDTitle) VALUES (NULL)");
  db.AddDvd("Écran");  // among the e's, after the plain letter
  db.AddDvd("eagle");
  EXPECT_EQ(InventoryTitles(db), QStringList({"", "Batman", "eagle", "Écran", "yojimbo"}));
}

TEST_F(StatusReportTest, UsableReportFontSizesAreKeptOthersPrintAtTen) {
  EXPECT_EQ(ReportPointSize(db), 10);  // no setting
  // Each kept size follows one that is not, so that a stale value would show.
  const std::pair<QVariant, double> sizes[] = {{0, 10},     {14, 14},   {-3, 10}, {10.5, 10.5},
                                               {"big", 10}, {"12", 12}, {500, 10}};
  for (const auto& [stored, expected] : sizes) {
    SettingsManager::WriteSetting(db, "ReportFontSize", stored);
    EXPECT_EQ(ReportPointSize(db), expected) << qPrintable(stored.toString());
  }
}

}  // namespace
