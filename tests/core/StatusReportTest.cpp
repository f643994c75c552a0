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
    db.AddDvd(title, {}, 1, name, QStringLiteral("2026-11-20"), due);
  }

  testsupport::TempDatabase db;
};

const QStringList kHead = {"******* DVD Report *******", "", "*** Totals ***", ""};

TEST_F(StatusReportTest, EmptyCollectionGivesTheShortReport) {
  EXPECT_EQ(StatusReportLines(kToday), kHead + QStringList({"Total DVDs: 0."}));
  EXPECT_EQ(OverdueCount(kToday), 0);
  EXPECT_TRUE(InventoryTitles().isEmpty());
}

// One DVD in stock, one due tomorrow, one due yesterday.
TEST_F(StatusReportTest, ThreeDVDsGiveTotalsAndOneLineInEachList) {
  db.AddCustomer(QStringLiteral("Ann"), QStringLiteral("555-0101"));
  db.AddCustomer(QStringLiteral("Bob"), QStringLiteral("555-0202"));
  db.AddDvd(QStringLiteral("Casablanca"));
  Lend(QStringLiteral("Heat"), QStringLiteral("Ann"), QStringLiteral("2026-12-05"));
  Lend(QStringLiteral("Alien"), QStringLiteral("Bob"), QStringLiteral("2026-12-03"));
  EXPECT_EQ(StatusReportLines(kToday),
            kHead + QStringList(
                        {"Total DVDs: 3", "- Total Loaned: 2", "- Total Overdue: 1",
                         "- Total In Stock: 1", "", "*** Break Down ***", "", "-- DVDs Overdue --",
                         "Alien, Loaned To: Bob, Phone: 555-0202, Out Date: 11/20/2026, Due "
                         "Date: 12/3/2026, Days Overdue: 1",
                         "", "-- DVDs Loaned--", "Heat, Loaned To: Ann, Phone: 555-0101", "",
                         "-- DVDs In Stock--", "Casablanca"}));
}

// Due today is lent, not overdue; status 3 counts in the total only; a borrower gone from the
// phone book keeps the title and name only, one without a phone reads NOT ENTERED; a name with an
// apostrophe is found; a lent DVD without a name (another tool's row) is listed by title. Every
// list is in title order, letter case ignored.
TEST_F(StatusReportTest, BreakDownListsFollowTheBorrowersAndSortByTitle) {
  db.AddCustomer(QStringLiteral("O'Brien"), QStringLiteral("555-0303"));
  db.AddCustomer(QStringLiteral("Cy"));
  Lend(QStringLiteral("zodiac"), QStringLiteral("o'brien"), QStringLiteral("2026-11-24"));
  Lend(QStringLiteral("Brazil"), QStringLiteral("Gone"), QStringLiteral("2026-12-01"));
  Lend(QStringLiteral("Amélie"), QStringLiteral("Cy"), QStringLiteral("2026-12-04"));
  Lend(QStringLiteral("Nameless"), QString(), QStringLiteral("2026-12-09"));
  db.Db()->Execute(QStringLiteral("UPDATE Inventory SET Name = NULL WHERE DVDTitle = 'Nameless'"));
  db.AddDvd(QStringLiteral("Sold One"), {}, 3, {}, "2026-01-01", "2026-01-02");
  db.AddDvd(QStringLiteral("yojimbo"));
  db.AddDvd(QStringLiteral("Batman"));

  const QStringList lines = StatusReportLines(kToday);
  ASSERT_EQ(lines.size(), 22) << qPrintable(lines.join('\n'));
  EXPECT_EQ(lines.mid(4, 4), QStringList({"Total DVDs: 7", "- Total Loaned: 4",
                                          "- Total Overdue: 2", "- Total In Stock: 2"}));
  EXPECT_EQ(lines.mid(11),
            QStringList({"-- DVDs Overdue --", "Brazil, Loaned To: Gone",
                         "zodiac, Loaned To: o'brien, Phone: 555-0303, Out Date: 11/20/2026, Due "
                         "Date: 11/24/2026, Days Overdue: 10",
                         "", "-- DVDs Loaned--", "Amélie, Loaned To: Cy, Phone: NOT ENTERED",
                         "Nameless", "", "-- DVDs In Stock--", "Batman", "yojimbo"}))
      << qPrintable(lines.join('\n'));
  EXPECT_EQ(OverdueCount(kToday), 2);
}

TEST_F(StatusReportTest, InventoryTitlesAreInTitleOrderWithAnAbsentTitleEmpty) {
  db.AddDvd(QStringLiteral("yojimbo"));
  db.AddDvd(QStringLiteral("Batman"), {}, 1, QStringLiteral("Ann"), "2026-11-20", "2026-11-21");
  db.Db()->Execute(QStringLiteral("INSERT INTO Inventory (DVDTitle) VALUES (NULL)"));
  EXPECT_EQ(InventoryTitles(), QStringList({"", "Batman", "yojimbo"}));
}

struct FontSizeCase {
  const char* name;
  QVariant stored;  // invalid: no setting
  double expected;
};

void PrintTo(const FontSizeCase& c, std::ostream* os) { *os << c.name; }

class ReportPointSizeTest : public ::testing::TestWithParam<FontSizeCase> {
 protected:
  testsupport::TempDatabase db;
};

TEST_P(ReportPointSizeTest, UsableSizesAreKeptOthersPrintAtTen) {
  if (GetParam().stored.isValid()) {
    SettingsManager::WriteSetting(QStringLiteral("ReportFontSize"), GetParam().stored);
  }
  EXPECT_EQ(ReportPointSize(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, ReportPointSizeTest,
    ::testing::Values(FontSizeCase{"Absent", QVariant(), 10}, FontSizeCase{"Fourteen", 14, 14},
                      FontSizeCase{"Fraction", 10.5, 10.5},
                      FontSizeCase{"NumberAsText", QStringLiteral("12"), 12},
                      FontSizeCase{"Text", QStringLiteral("big"), 10}, FontSizeCase{"Zero", 0, 10},
                      FontSizeCase{"Negative", -3, 10}, FontSizeCase{"Huge", 500, 10}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
