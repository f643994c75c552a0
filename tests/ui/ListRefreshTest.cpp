// After a command the main list takes in only the DVDs it changed; what it then shows must be
// exactly what reading the whole list again would show, sorted or not.
#include <gtest/gtest.h>

#include <functional>

#include "TestSupport.h"
#include "inventory/InventoryRecords.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"
#include "ui/common/DVDListModel.h"

using namespace InventoryFunctions;

namespace {

struct Change {
  const char* name;
  std::function<void()> write;
  QStringList titles;  // the titles it changed
};
void PrintTo(const Change& c, std::ostream* os) { *os << c.name; }

struct Sorting {
  int column;  // -1: not sorted
  Qt::SortOrder order;
};

class ListRefreshTest : public ::testing::TestWithParam<std::tuple<Change, Sorting>> {
 protected:
  static std::vector<DVDListColumn> Columns() {
    return {{"DVDTitle", "Title"},
            {"Category", "Category"},
            {"Status", "Status"},
            {"DueDate", "Due Date"}};
  }
  void Fill(DVDListModel& model) const {
    model.SetColumns(Columns());
    model.LoadFromQuery(DVDQuery::List());
    const Sorting sorting = std::get<1>(GetParam());
    if (sorting.column >= 0) model.SortBy(sorting.column, sorting.order);
  }
  static QStringList Shown(const DVDListModel& model) {
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < model.columnCount(); ++c) cells << model.index(r, c).data().toString();
      cells << model.index(r, 0).data(DVDListModel::TitleRole).toString()
            << model.index(r, 0).data(DVDListModel::IconIndexRole).toString()
            << model.index(r, 0).data(DVDListModel::OverdueRole).toString();
      rows << cells.join(u'|');
    }
    return rows;
  }

  testsupport::TempDatabase db;
  testsupport::FixedClock clock{QDate(2024, 4, 10)};
};

TEST_P(ListRefreshTest, ShowsWhatAFullReloadShows) {
  db.AddDvd("Alien", "Horror");
  db.AddDvd("école", "drama");
  db.AddDvd("Heat", "Crime");
  db.AddDvd("Brazil", "Drama", 1, "Ann", "2024-04-01", "2024-04-08");
  db.AddDvd("Up", "Crime", 1, "Bob", "2024-04-01", "2024-04-20");
  db.AddDvd("Zulu", "War", 2, {}, "2024-03-01", "2024-03-02");
  DVDListModel patched;
  Fill(patched);

  const auto& [change, sorting] = GetParam();
  change.write();
  patched.ReplaceTitles(change.titles,
                        sorting.column >= 0 ? std::optional<int>(sorting.column) : std::nullopt,
                        sorting.order);
  DVDListModel reloaded;
  Fill(reloaded);
  EXPECT_EQ(Shown(patched), Shown(reloaded));
}

DVDRecord Catalogue(const char* title, const char* category) {
  DVDRecord dvd;
  dvd.title = QString::fromUtf8(title);
  dvd.category = QString::fromUtf8(category);
  return dvd;
}

CustomerFunctions::Customer Borrower(const char* name) {
  CustomerFunctions::Customer customer;
  customer.name = QString::fromUtf8(name);
  return customer;
}

const Change kChanges[] = {
    {"Add", [] { AddDVD(Catalogue("Fargo", "Crime")); }, {"Fargo"}},
    {"Rename", [] { UpdateDVD("Alien", Catalogue("Aliens", "Action")); }, {"Alien", "Aliens"}},
    {"OnlyTheLetterCase", [] { UpdateDVD("heat", Catalogue("HEAT", "Crime")); }, {"heat", "HEAT"}},
    {"LendOverdue",
     [] { LendDVD("École", Borrower("Cy"), QDate(2024, 4, 1), QDate(2024, 4, 9)); },
     {"École"}},
    {"LendDueLast",
     [] { LendDVD("Heat", Borrower("Cy"), QDate(2024, 4, 1), QDate(2024, 4, 20)); },
     {"Heat"}},
    {"Return", [] { ReturnDVD("Brazil"); }, {"Brazil"}},
    {"Delete", [] { DeleteDVD("Up"); }, {"Up"}}};

INSTANTIATE_TEST_SUITE_P(Changes, ListRefreshTest,
                         ::testing::Combine(::testing::ValuesIn(kChanges),
                                            ::testing::Values(Sorting{-1, Qt::AscendingOrder},
                                                              Sorting{0, Qt::AscendingOrder},
                                                              Sorting{1, Qt::DescendingOrder},
                                                              Sorting{2, Qt::AscendingOrder})));

}  // namespace
