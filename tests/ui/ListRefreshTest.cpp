// The list reads its order from an index of its own and its rows on demand. After any kind of
// write (the program's commands, or another program's), what it shows must be exactly what
// reading the whole table with the list's query and sorting the cells would show.
#include <gtest/gtest.h>

#include <QCollator>
#include <functional>

#include "TestSupport.h"
#include "inventory/InventoryRecords.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"
#include "ui/common/DVDListModel.h"

using namespace InventoryFunctions;

namespace {

const QDate kToday(2024, 4, 10);

struct Change {
  const char* name;
  std::function<void(testsupport::TempDatabase&)> write;
  QStringList titles;  // the titles it changed
  bool own = true;     // written through the list's own connection
};
void PrintTo(const Change& c, std::ostream* os) { *os << c.name; }

struct Sorting {
  int column;  // -1: not sorted
  Qt::SortOrder order;
};

const std::vector<DVDListColumn> kColumns = {
    {"DVDTitle", "Title"}, {"Category", "Category"}, {"Status", "Status"}, {"DueDate", "Due Date"}};

class ListRefreshTest : public ::testing::TestWithParam<std::tuple<Change, Sorting>> {
 protected:
  Sorting Sort() const { return std::get<1>(GetParam()); }

  static QString Row(const QStringList& cells, const QString& title, int icon, bool overdue) {
    return (cells + QStringList{title, QString::number(icon), overdue ? "true" : "false"})
        .join(u'|');
  }

  QStringList Shown(const DVDListModel& model) const {
    QStringList rows;
    for (int r = 0; r < model.rowCount(); ++r) {
      QStringList cells;
      for (int c = 0; c < model.columnCount(); ++c) cells << model.index(r, c).data().toString();
      const QModelIndex first = model.index(r, 0);
      rows << Row(cells, first.data(DVDListModel::TitleRole).toString(),
                  first.data(DVDListModel::IconIndexRole).toInt(),
                  first.data(DVDListModel::OverdueRole).toBool());
    }
    return rows;
  }

  // Every row read with the list's own query, cells made by the row rules, then a stable sort
  // of the column's texts.
  QStringList FullRead(std::optional<Qt::SortOrder> order = std::nullopt, QDate today = kToday) {
    std::vector<DVDField> fields;
    for (size_t c = 0; c < kColumns.size(); ++c)
      fields.push_back(c == 0 ? DVDField::Title : FieldOfColumn(kColumns[c].key));
    std::vector<std::pair<QStringList, QString>> rows;
    ShortDateTexts dates;
    ReadDVDs(db, DVDQuery::List(), fields, [&](const DVDRecord& dvd) {
      const DVDRowState state = RowState(dvd, today);
      QStringList cells;
      for (const DVDField field : fields)
        cells << ListCellText(dvd, field, state, StatusCellStyle::MainList, dates);
      rows.emplace_back(cells, Row(cells, dvd.title, state.icon, state.overdue));
    });
    if (Sort().column >= 0) {
      QCollator collator{QLocale(QLocale::English, QLocale::UnitedStates)};
      collator.setCaseSensitivity(Qt::CaseInsensitive);
      const int column = Sort().column;
      std::stable_sort(rows.begin(), rows.end(), [&](const auto& a, const auto& b) {
        const int c = collator.compare(a.first[column], b.first[column]);
        return order.value_or(Sort().order) == Qt::AscendingOrder ? c < 0 : c > 0;
      });
    }
    QStringList shown;
    for (const auto& row : rows) shown << row.second;
    return shown;
  }

  testsupport::TempDatabase db;
  testsupport::FixedClock clock{kToday};
};

DVDRecord Catalogue(const char* title, const char* category) {
  DVDRecord dvd;
  dvd.title = QString::fromUtf8(title);
  dvd.category = QString::fromUtf8(category);
  return dvd;
}

TEST_P(ListRefreshTest, ShowsWhatAFullReadShows) {
  db.AddDvd("Alien", "Horror");
  db.AddDvd("école", "drama");
  db.AddDvd("Heat", "Crime");
  db.AddDvd("Brazil", "Drama", 1, "Ann", "2024-04-01", "2024-04-08");
  // Due the same day but lent that day: no due date to show, though stored alike.
  db.AddDvd("Yojimbo", "Drama", 1, "Di", "2024-04-08", "2024-04-08");
  db.AddDvd("Up", "Crime", 1, "Bob", "2024-04-01", "2024-04-20");
  db.AddDvd("Zulu", "War", 2, {}, "2024-03-01", "2024-03-02");
  db.AddDvd("Ran", "War\nDrama");  // a cell shows and sorts it on one line
  // Enough rows that the list reads them in several blocks.
  for (int i = 0; i < 300; ++i) {
    db.AddDvd(QStringLiteral("Film %1").arg(i * 7919 % 300), i % 3 ? "Drama" : "drama", i % 5 == 0,
              {}, "2024-04-01", QStringLiteral("2024-04-%1").arg(1 + i % 20, 2, 10, QChar(u'0')));
  }
  DVDListModel model(db);
  model.SetColumns(kColumns);
  const std::optional<DVDListSort> sort =
      Sort().column >= 0 ? std::optional(DVDListSort{Sort().column, Sort().order}) : std::nullopt;
  EXPECT_FALSE(model.Refresh(DVDQuery::List(), sort));
  ASSERT_EQ(Shown(model), FullRead());

  // The program's own writes place only the written rows again; another program's are read whole.
  const Change& change = std::get<0>(GetParam());
  change.write(db);
  EXPECT_EQ(model.Refresh(DVDQuery::List(), sort), change.own);
  EXPECT_EQ(Shown(model), FullRead());
  // The runs of equal texts held for reversing came through it too.
  const Qt::SortOrder reversed =
      Sort().order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder;
  if (sort) model.SortBy(Sort().column, reversed);
  EXPECT_EQ(Shown(model), FullRead(reversed));
  for (const QString& title : change.titles) {
    const int row = model.FindTitle(title);
    EXPECT_EQ(row < 0 ? QString() : model.TitleAt(row).toLower(),
              FindDVD(db, title) ? title.toLower() : QString());
  }
  // Days later, DVDs due meanwhile are overdue: the cells read before no longer hold.
  const testsupport::FixedClock later(kToday.addDays(2));
  AddDVD(db, Catalogue("Zorro", "War"));
  model.Refresh(DVDQuery::List(),
                sort ? std::optional(DVDListSort{Sort().column, reversed}) : sort);
  EXPECT_EQ(Shown(model), FullRead(reversed, later.Today()));
}

CustomerFunctions::Customer Borrower(const char* name) {
  CustomerFunctions::Customer customer;
  customer.name = QString::fromUtf8(name);
  return customer;
}

const Change kChanges[] = {
    {"Add", [](auto& db) { AddDVD(db, Catalogue("Fargo", "Crime")); }, {"Fargo"}},
    {"Rename",
     [](auto& db) { UpdateDVD(db, "Alien", Catalogue("Aliens", "Action")); },
     {"Alien", "Aliens"}},
    {"OnlyTheLetterCase",
     [](auto& db) { UpdateDVD(db, "heat", Catalogue("HEAT", "Crime")); },
     {"heat", "HEAT"}},
    {"LendOverdue",
     [](auto& db) { LendDVD(db, "École", Borrower("Cy"), QDate(2024, 4, 1), QDate(2024, 4, 9)); },
     {"École"}},
    {"LendDueLast",
     [](auto& db) { LendDVD(db, "Heat", Borrower("Cy"), QDate(2024, 4, 1), QDate(2024, 4, 25)); },
     {"Heat"}},
    {"Return", [](auto& db) { ReturnDVD(db, "Brazil"); }, {"Brazil"}},
    {"Delete", [](auto& db) { DeleteDVD(db, "Up"); }, {"Up"}},
    // Another program's writes reach the list through the file's triggers alone.
    {"AnotherProgram",
     [](testsupport::TempDatabase& db) {
       testsupport::Sqlite3Shell(db.Path(),
                                 "UPDATE Inventory SET Status = 1, DueDate = '2024-04-02' "
                                 "WHERE DVDTitle LIKE 'Film 1%'; DELETE FROM Inventory WHERE "
                                 "DVDTitle = 'Zulu'; INSERT INTO Inventory (DVDTitle, Category) "
                                 "VALUES ('Ábc', 'x');");
     },
     {"Zulu", "Ábc"},
     false}};

INSTANTIATE_TEST_SUITE_P(Changes, ListRefreshTest,
                         ::testing::Combine(::testing::ValuesIn(kChanges),
                                            ::testing::Values(Sorting{-1, Qt::AscendingOrder},
                                                              Sorting{0, Qt::AscendingOrder},
                                                              Sorting{0, Qt::DescendingOrder},
                                                              Sorting{1, Qt::AscendingOrder},
                                                              Sorting{1, Qt::DescendingOrder},
                                                              Sorting{2, Qt::AscendingOrder},
                                                              Sorting{2, Qt::DescendingOrder},
                                                              Sorting{3, Qt::AscendingOrder},
                                                              Sorting{3, Qt::DescendingOrder})));

}  // namespace
