// SQL texts of the program that no owner's tests run yet (the DVD dialog's duplicate check, the
// status report's, the search's) run as written on a seeded file and return the rows the program
// relies on. The expected rows are written out by hand from the seed below.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "data/Recordset.h"

using testsupport::TempDatabase;

namespace {

const QDate kToday(2026, 12, 4);

struct SqlCase {
  const char* name;
  QString sql;
  QStringList expected;  // first column of each row
  bool anyOrder = false;
};

void PrintTo(const SqlCase& c, std::ostream* out) { *out << c.name; }

class ProgramSqlTest : public ::testing::TestWithParam<SqlCase> {
 protected:
  void SetUp() override {
    db.AddDvd(QStringLiteral("Casablanca"), QStringLiteral("Drama"), 0, {}, "2000-01-01",
              "2000-01-01", {}, QStringLiteral("PG"));
    db.AddDvd(QStringLiteral("Schindler's List"), QStringLiteral("Drama"), 1, QStringLiteral("Ann"),
              "2026-11-20", "2026-12-01", {}, QStringLiteral("R"));
    db.AddDvd(QStringLiteral("Star Wars"), QStringLiteral("Science Fiction"), 1,
              QStringLiteral("Bob"), "2026-11-28", "2026-12-04 10:00:00", {}, QStringLiteral("PG"),
              {}, QStringLiteral("space"));
    db.AddDvd(QStringLiteral("Amélie"), QStringLiteral("comedy"), 1, QStringLiteral("O'Brien"),
              "2026-12-01", "2026-12-05", {}, QStringLiteral("R"));
    db.AddDvd(QStringLiteral("Stardust"), QStringLiteral("Fantasy"), 3, {}, "2000-01-01",
              "2000-01-01", {}, QStringLiteral("PG-13"));
    db.AddDvd(QStringLiteral("École"), QStringLiteral("Drama"), 0, {}, "2000-01-01", "2000-01-01",
              QStringLiteral("007"), QStringLiteral("NR"), QStringLiteral("Ann Actor"));
    db.AddDvd(QStringLiteral("Zoolander"), QStringLiteral("Comedy"), 0, {}, "2000-01-01",
              "2000-01-01", QStringLiteral("123"), QStringLiteral("PG-13"),
              QStringLiteral("Ben Stiller"));
  }

  TempDatabase db;
};

TEST_P(ProgramSqlTest, ReturnsTheExpectedRows) {
  const SqlCase& c = GetParam();
  QStringList rows;
  RecordsetPtr records = OpenRecords(c.sql);
  if (!NoRecords(records)) {
    FetchAllRecords(records);
    const int count = records->RecordCount();
    while (!records->Eof()) {
      rows << records->Text(0);
      records->MoveNext();
    }
    EXPECT_EQ(count, rows.size()) << "exact count after FetchAllRecords";
  }
  CloseRecords(records);
  QStringList expected = c.expected;
  if (c.anyOrder) {
    rows.sort();
    expected.sort();
  }
  EXPECT_EQ(rows, expected) << qPrintable(c.sql);
}

QString Text(const char* text) { return SqlText(QString::fromUtf8(text)); }

const QString kInv = QStringLiteral("Select Inventory.* From Inventory");
const QString kStatus =
    QStringLiteral("Select Inventory.DVDTitle From Inventory Where Inventory.Status = ");
const QString kOverdue = SqlText(1) + QStringLiteral(" And ") + SqlText(kToday);
const QStringList kAllTitles = {"Amélie",    "Casablanca", "École",    "Schindler's List",
                                "Star Wars", "Stardust",   "Zoolander"};

INSTANTIATE_TEST_SUITE_P(
    EveryStatement, ProgramSqlTest,
    ::testing::Values(
        SqlCase{"DuplicateBarCode",
                "Select Inventory.BarCode, Inventory.DVDTitle From Inventory Where "
                "Inventory.BarCode = " +
                    Text("123"),
                {"123"}},
        // Status report and overdue check.
        SqlCase{"AllDVDs", kInv, kAllTitles, true},
        SqlCase{
            "TotalLoaned", kStatus + SqlText(1), {"Schindler's List", "Star Wars", "Amélie"}, true},
        SqlCase{"TotalOverdue", kStatus + kOverdue + " > Inventory.DueDate", {"Schindler's List"}},
        SqlCase{"TotalInStock", kStatus + SqlText(0), {"Casablanca", "École", "Zoolander"}, true},
        SqlCase{"OverdueList",
                kInv + " Where Inventory.Status = " + kOverdue +
                    " > Inventory.DueDate Order By Inventory.DVDTitle",
                {"Schindler's List"}},
        SqlCase{"NotYetDueList",
                kInv + " Where Inventory.Status = " + kOverdue +
                    " <= Inventory.DueDate Order By Inventory.DVDTitle",
                {"Amélie", "Star Wars"}},
        SqlCase{"InStockList",
                kInv + " Where Inventory.Status = " + SqlText(0) + " Order By Inventory.DVDTitle",
                {"Casablanca", "École", "Zoolander"}},
        SqlCase{
            "CheckOverdues",
            kInv + " Where " + SqlText(kToday) + " > Inventory.DueDate And Status = " + SqlText(1),
            {"Schindler's List"}},
        SqlCase{"ReportTitles",
                "Select Inventory.DVDTitle From Inventory Order By Inventory.DVDTitle", kAllTitles},
        // Search.
        SqlCase{"SearchTitleStar",
                kInv + " Where Inventory.DVDTitle Like '*star*' Order By Inventory.DVDTitle",
                {"Star Wars", "Stardust"}},
        SqlCase{"SearchOr",
                kInv + " Where Inventory.DVDTitle Like '*star*' Or Inventory.Category Like "
                       "'*Comedy*' Order By Inventory.DVDTitle",
                {"Amélie", "Star Wars", "Stardust", "Zoolander"}},
        SqlCase{"SearchExactAnd",
                kInv + " Where Inventory.Rated = 'pg' And Inventory.Description = 'SPACE' Order "
                       "By Inventory.DVDTitle",
                {"Star Wars"}}),
    [](const ::testing::TestParamInfo<SqlCase>& info) { return std::string(info.param.name); });

}  // namespace
