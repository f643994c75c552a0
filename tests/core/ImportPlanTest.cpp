#include "exchange/ImportPlan.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "exchange/CsvFormat.h"
#include "exchange/DvdCsv.h"

namespace {

using ImportMapping::BorrowerField;
using ImportMapping::DvdField;
using ImportPlan::Action;
using ImportPlan::Duplicates;

ImportMapping::MappedRow Dvd(int line, const QString& title, const QString& barCode = {},
                             const QString& status = {}, const QString& dueDate = {}) {
  ImportMapping::MappedRow row;
  row.line = line;
  row.values.resize(ImportMapping::kDvdFieldCount);
  row.values[int(DvdField::Title)] = title;
  row.values[int(DvdField::BarCode)] = barCode;
  row.values[int(DvdField::Status)] = status;
  row.values[int(DvdField::DueDate)] = dueDate;
  return row;
}

const std::vector<ImportPlan::ExistingDvd> kCollection = {
    {"Alien", "5039036009296"}, {"Heat", "0-24543-00842-2"}, {"Solaris", "7321900111"}};

std::vector<ImportMapping::MappedRow> DvdRows() {
  return {Dvd(2, "  Brazil  "),
          Dvd(3, " ALIEN"),                        // the collection's title, other case
          Dvd(4, "Heat (1995)", "024543 008422"),  // the collection's bar code, cleaned
          Dvd(5, "Heat", "7321900111"),            // one DVD's title, another's bar code
          Dvd(6, "   "),                           // no title
          Dvd(7, "Ran", {}, "lent"),               // unreadable status
          Dvd(8, "Kes", {}, "1", "31/12/2024"),    // unreadable date
          Dvd(9, "brazil"),                        // repeats line 2
          Dvd(10, "Ronin", "5-039036-009296"),     // the collection's, by bar code
          Dvd(11, "Ronin 2", "5039036009296"),     // repeats line 10's bar code
          Dvd(12, "M", {}, "1", "2024-12-31")};
}

TEST(ImportPlanTest, DvdRowsAreClassifiedWithTheirReasons) {
  const ImportPlan::Plan plan = ImportPlan::PlanDvds(DvdRows(), kCollection, Duplicates::Skip);
  ASSERT_EQ(plan.rows.size(), 11u);
  std::vector<Action> actions;
  for (const auto& row : plan.rows) actions.push_back(row.action);
  EXPECT_EQ(actions,
            (std::vector{Action::Add, Action::Skip, Action::Skip, Action::Unusable,
                         Action::Unusable, Action::Unusable, Action::Unusable, Action::Unusable,
                         Action::Unusable, Action::Unusable, Action::Add}));
  EXPECT_EQ(plan.rows[1].existing, "Alien");
  EXPECT_EQ(plan.rows[2].existing, "Heat");
  EXPECT_EQ(plan.rows[3].reason,
            "Line 5: its title is that of \"Heat\" and its bar code that of \"Solaris\"; which one "
            "to change is unclear.");
  EXPECT_EQ(plan.rows[4].reason, "Line 6: the title is empty, and a DVD needs one.");
  EXPECT_EQ(plan.rows[5].reason, "Line 7: the status \"lent\" is not a number.");
  EXPECT_EQ(plan.rows[6].reason,
            "Line 8: the due date \"31/12/2024\" is not a date "
            "(year-month-day).");
  EXPECT_EQ(plan.rows[7].reason, "Line 9: the same title as line 2.");
  EXPECT_EQ(plan.rows[8].reason, "Line 10: it is \"Alien\" of the collection, as line 3 is.");
  EXPECT_EQ(plan.rows[9].reason, "Line 11: the same bar code as line 10.");
  EXPECT_EQ(plan.adds, 2);
  EXPECT_EQ(plan.skips, 2);
  EXPECT_EQ(plan.unusable, 7);

  const ImportPlan::Plan update = ImportPlan::PlanDvds(DvdRows(), kCollection, Duplicates::Update);
  // Line 4 renames "Heat", so line 5 no longer names two DVDs: it updates "Solaris".
  EXPECT_EQ(update.updates, 3);
  EXPECT_EQ(update.rows[2].existing, "Heat");
  EXPECT_EQ(update.rows[3].existing, "Solaris");

  // Updated through its bar code, a DVD takes the row's title and leaves its own to a new one.
  const ImportPlan::Plan renamed =
      ImportPlan::PlanDvds({Dvd(2, "Alien (Director's Cut)", "5039036009296"), Dvd(3, "Alien")},
                           kCollection, Duplicates::Update);
  EXPECT_EQ(renamed.rows[0].existing, "Alien");
  EXPECT_EQ(renamed.rows[1].action, Action::Add);
}

// The program's own export, read back, maps column for column and writes the same DVD.
TEST(ImportPlanTest, ExportedDvdsComeBackAsTheSameRecords) {
  InventoryFunctions::DVDRecord lent;
  lent.title = "Schindler's List";
  lent.category = "Drama";
  lent.starring = "Liam Neeson, Ben Kingsley";
  lent.rated = "R";
  lent.status = 1;
  lent.name = "Ann O'Neil";
  lent.outDate = QDateTime(QDate(2024, 1, 5), QTime(0, 0));
  lent.dueDate = QDateTime(QDate(2024, 2, 5), QTime(0, 0));
  lent.description = "First line\r\nSecond; \"quoted\"";
  lent.barCode = "0025192";
  InventoryFunctions::DVDRecord stock;
  stock.title = "Alien";
  CsvFormat::Writer writer;
  writer.AddRow(DvdCsv::Header());
  writer.AddRow(DvdCsv::Fields(lent));
  writer.AddRow(DvdCsv::Fields(stock));
  const CsvFormat::ReadResult read = CsvFormat::Read(writer.Bytes());
  ASSERT_EQ(read.status, CsvFormat::ReadStatus::Read) << qPrintable(read.message);
  const auto rows =
      ImportMapping::ApplyDvdMapping(read.table, ImportMapping::MapDvdColumns(read.table.header));
  EXPECT_EQ(ImportPlan::PlanDvds(rows, {}, Duplicates::Skip).adds, 2);
  for (const auto& [row, dvd] : {std::pair{rows[0], lent}, std::pair{rows[1], stock}}) {
    const InventoryFunctions::DVDRecord back = ImportPlan::DvdRecordOf(row);
    EXPECT_EQ(DvdCsv::Fields(back), DvdCsv::Fields(dvd));
  }
}

TEST(ImportPlanTest, BorrowersMatchByNameWithoutRegardToCase) {
  auto borrower = [](int line, const QString& name) {
    ImportMapping::MappedRow row;
    row.line = line;
    row.values.resize(int(BorrowerField::Count));
    row.values[int(BorrowerField::Name)] = name;
    return row;
  };
  const std::vector rows = {borrower(2, "Ann O'Neil"), borrower(3, " bob "), borrower(4, ""),
                            borrower(5, "ann o'neil"), borrower(6, "Carla")};
  const ImportPlan::Plan plan =
      ImportPlan::PlanBorrowers(rows, {"Bob", "Dora"}, Duplicates::Update);
  EXPECT_EQ(plan.rows[0].action, Action::Add);
  EXPECT_EQ(plan.rows[1].action, Action::Update);
  EXPECT_EQ(plan.rows[1].existing, "Bob");
  EXPECT_EQ(plan.rows[2].reason, "Line 4: the name is empty, and a borrower needs one.");
  EXPECT_EQ(plan.rows[3].reason, "Line 5: the same name as line 2.");
  EXPECT_EQ(plan.adds, 2);
  EXPECT_EQ(plan.updates, 1);
  EXPECT_EQ(plan.unusable, 2);
}

}  // namespace
