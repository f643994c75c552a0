// Every SQL text the program issues runs as written on a seeded file and returns the rows the
// program relies on. The expected rows are written out by hand from the seed below.
#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "data/Recordset.h"
#include "seams/Clock.h"

using testsupport::TempDatabase;

namespace {

const QDate kToday(2026, 12, 4);

QString Today() { return SqlText(seams::Today()); }

struct SqlCase {
  const char* name;
  std::function<QString()> sql;
  QStringList expected;  // first column of each row
  bool anyOrder = false;
  bool ignoreCase = false;  // a group's text may come from any of its rows
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
    db.AddCustomer(QStringLiteral("O'Brien"), QStringLiteral("555-0101"));
    db.AddCustomer(QStringLiteral("Bob"), QStringLiteral("555-1234"));
    db.AddCustomer(QStringLiteral("Ann"));
  }

  testsupport::FixedClock clock{kToday};
  TempDatabase db;
};

TEST_P(ProgramSqlTest, ReturnsTheExpectedRows) {
  const SqlCase& c = GetParam();
  const QString sql = c.sql();
  QStringList rows;
  RecordsetPtr records = OpenRecords(sql);
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
  if (c.ignoreCase) {
    for (QString& row : rows) row = row.toCaseFolded();
    for (QString& row : expected) row = row.toCaseFolded();
  }
  EXPECT_EQ(rows, expected) << qPrintable(sql);
}

const QString kInv = QStringLiteral("Select Inventory.* From Inventory");

INSTANTIATE_TEST_SUITE_P(
    EveryStatement, ProgramSqlTest,
    ::testing::Values(
        // Phone book.
        SqlCase{"PhoneNames",
                [] {
                  return QStringLiteral(
                      "Select Customers.* From Customers Order By Customers.Name");
                },
                {"Ann", "Bob", "O'Brien"}},
        SqlCase{"LoanDialogNames",
                [] {
                  return QStringLiteral(
                      "Select Customers.Name From Customers Order By Customers.Name");
                },
                {"Ann", "Bob", "O'Brien"}},
        SqlCase{"EntryOfName",
                [] {
                  return QStringLiteral(
                             "Select Customers.* From Customers Where Customers.Name = ") +
                         SqlText(QStringLiteral("o'brien"));
                },
                {"O'Brien"}},
        SqlCase{"ExistenceCheck",
                [] {
                  return QStringLiteral(
                             "Select Customers.Name From Customers Where Customers.Name = ") +
                         SqlText(QStringLiteral("ANN"));
                },
                {"Ann"}},
        SqlCase{"WholePhoneBook",
                [] { return QStringLiteral("Select Customers.* From Customers"); },
                {"Ann", "Bob", "O'Brien"},
                true},
        // The DVD list and its columns.
        SqlCase{"ListColumns",
                [] { return kInv + QStringLiteral(" Order By Inventory.DVDTitle"); },
                {"Amélie", "Casablanca", "École", "Schindler's List", "Star Wars", "Stardust",
                 "Zoolander"}},
        SqlCase{
            "LoadDVDList",
            [] {
              return kInv +
                     QStringLiteral(
                         " Order By Inventory.Status DESC, Inventory.DueDate, Inventory.DVDTitle");
            },
            {"Stardust", "Schindler's List", "Star Wars", "Amélie", "Casablanca", "École",
             "Zoolander"}},
        SqlCase{"TitleLookup",
                [] {
                  return kInv + QStringLiteral(" Where Inventory.DVDTitle = ") +
                         SqlText(QStringLiteral("schindler's list"));
                },
                {"Schindler's List"}},
        SqlCase{"LoanLookup",
                [] {
                  return QStringLiteral(
                             "Select Inventory.DVDTitle, Inventory.Status, Inventory.Name From "
                             "Inventory Where Inventory.DVDTitle = ") +
                         SqlText(QStringLiteral("AMÉLIE"));
                },
                {"Amélie"}},
        SqlCase{"IsDVD",
                [] {
                  return QStringLiteral(
                             "Select Inventory.BarCode From Inventory Where Inventory.BarCode = ") +
                         SqlText(QStringLiteral("007"));
                },
                {"007"}},
        SqlCase{"BarCodeKeepsLeadingZeros",
                [] {
                  return QStringLiteral(
                             "Select Inventory.BarCode From Inventory Where Inventory.BarCode = ") +
                         SqlText(QStringLiteral("7"));
                },
                {}},
        SqlCase{"ScannedCode",
                [] {
                  return QStringLiteral(
                             "Select Inventory.DVDTitle, Inventory.BarCode From Inventory Where "
                             "Inventory.BarCode = ") +
                         SqlText(QStringLiteral("123"));
                },
                {"Zoolander"}},
        SqlCase{"DuplicateBarCode",
                [] {
                  return QStringLiteral(
                             "Select Inventory.BarCode, Inventory.DVDTitle From Inventory Where "
                             "Inventory.BarCode = ") +
                         SqlText(QStringLiteral("123"));
                },
                {"123"}},
        // Status report and overdue check.
        SqlCase{"AllDVDs",
                [] { return kInv; },
                {"Amélie", "Casablanca", "École", "Schindler's List", "Star Wars", "Stardust",
                 "Zoolander"},
                true},
        SqlCase{"TotalLoaned",
                [] {
                  return QStringLiteral(
                             "Select Inventory.DVDTitle From Inventory Where Inventory.Status = ") +
                         SqlText(1);
                },
                {"Schindler's List", "Star Wars", "Amélie"},
                true},
        SqlCase{"TotalOverdue",
                [] {
                  return QStringLiteral(
                             "Select Inventory.DVDTitle From Inventory Where Inventory.Status = ") +
                         SqlText(1) + QStringLiteral(" And ") + Today() +
                         QStringLiteral(" > Inventory.DueDate");
                },
                {"Schindler's List"}},
        SqlCase{"TotalInStock",
                [] {
                  return QStringLiteral(
                             "Select Inventory.DVDTitle From Inventory Where Inventory.Status = ") +
                         SqlText(0);
                },
                {"Casablanca", "École", "Zoolander"},
                true},
        SqlCase{"OverdueList",
                [] {
                  return kInv + QStringLiteral(" Where Inventory.Status = ") + SqlText(1) +
                         QStringLiteral(" And ") + Today() +
                         QStringLiteral(" > Inventory.DueDate Order By Inventory.DVDTitle");
                },
                {"Schindler's List"}},
        SqlCase{"NotYetDueList",
                [] {
                  return kInv + QStringLiteral(" Where Inventory.Status = ") + SqlText(1) +
                         QStringLiteral(" And ") + Today() +
                         QStringLiteral(" <= Inventory.DueDate Order By Inventory.DVDTitle");
                },
                {"Amélie", "Star Wars"}},
        SqlCase{"InStockList",
                [] {
                  return kInv + QStringLiteral(" Where Inventory.Status = ") + SqlText(0) +
                         QStringLiteral(" Order By Inventory.DVDTitle");
                },
                {"Casablanca", "École", "Zoolander"}},
        SqlCase{"CheckOverdues",
                [] {
                  return kInv + QStringLiteral(" Where ") + Today() +
                         QStringLiteral(" > Inventory.DueDate And Status = ") + SqlText(1);
                },
                {"Schindler's List"}},
        // Choice lists of the dialogs.
        SqlCase{
            "Categories",
            [] {
              return QStringLiteral(
                  "Select Inventory.Category From Inventory Group By Category Order By Category");
            },
            {"comedy", "Drama", "Fantasy", "Science Fiction"},
            false,
            true},
        SqlCase{"Ratings",
                [] {
                  return QStringLiteral(
                      "Select Inventory.Rated From Inventory Group By Rated Order By Rated");
                },
                {"NR", "PG", "PG-13", "R"}},
        SqlCase{
            "Stars",
            [] {
              return QStringLiteral(
                  "Select Inventory.Starring From Inventory Group By Starring Order By Starring");
            },
            {"", "Ann Actor", "Ben Stiller"}},
        SqlCase{"Titles",
                [] {
                  return QStringLiteral(
                      "Select Inventory.DVDTitle From Inventory Group By Inventory.DVDTitle Order "
                      "By Inventory.DVDTitle");
                },
                {"Amélie", "Casablanca", "École", "Schindler's List", "Star Wars", "Stardust",
                 "Zoolander"}},
        SqlCase{"ReportTitles",
                [] {
                  return QStringLiteral(
                      "Select Inventory.DVDTitle From Inventory Order By Inventory.DVDTitle");
                },
                {"Amélie", "Casablanca", "École", "Schindler's List", "Star Wars", "Stardust",
                 "Zoolander"}},
        // Search.
        SqlCase{"SearchTitleStar",
                [] {
                  return kInv +
                         QStringLiteral(
                             " Where Inventory.DVDTitle Like '*star*' Order By Inventory.DVDTitle");
                },
                {"Star Wars", "Stardust"}},
        SqlCase{"SearchOr",
                [] {
                  return kInv + QStringLiteral(
                                    " Where Inventory.DVDTitle Like '*star*' Or Inventory.Category "
                                    "Like '*Comedy*' Order By Inventory.DVDTitle");
                },
                {"Amélie", "Star Wars", "Stardust", "Zoolander"}},
        SqlCase{"SearchExactAnd",
                [] {
                  return kInv + QStringLiteral(
                                    " Where Inventory.Rated = 'pg' And Inventory.Description = "
                                    "'SPACE' Order By Inventory.DVDTitle");
                },
                {"Star Wars"}},
        // Settings store.
        SqlCase{"SettingLookup",
                [] {
                  return QStringLiteral("Select Settings.* From Settings Where SettingName = ") +
                         SqlText(QStringLiteral("Missing"));
                },
                {}},
        SqlCase{
            "AllSettings", [] { return QStringLiteral("Select Settings.* From Settings"); }, {}}),
    [](const ::testing::TestParamInfo<SqlCase>& info) { return std::string(info.param.name); });

}  // namespace
