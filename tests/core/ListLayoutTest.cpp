#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <limits>

#include "TestSupport.h"
#include "data/DatabaseFunctions.h"
#include "settings/ListLayout.h"
#include "settings/SettingsManager.h"
#include "settings/WindowPlacement.h"

namespace {

using SettingsManager::LoadListLayout;
using SettingsManager::WriteSetting;

ListLayout Columns(int count, float width = 1500) {
  ListLayout layout;
  for (int i = 0; i < count; ++i) {
    layout.columns.push_back({QStringLiteral("Key%1").arg(i + 1),
                              QStringLiteral("Caption %1").arg(i + 1), width, qint16(i + 1)});
  }
  return layout;
}

// A layout as text: each column as key|caption|width|position, then the sort state.
QStringList Described(const ListLayout& layout) {
  QStringList parts;
  for (const ListColumnLayout& c : layout.columns) {
    parts << QStringLiteral("%1|%2|%3|%4").arg(c.key, c.caption).arg(c.width).arg(c.position);
  }
  parts << QStringLiteral("sorted %1 by %2 order %3")
               .arg(layout.sorted)
               .arg(layout.sortKey)
               .arg(layout.sortOrder);
  return parts;
}

class ListLayoutTest : public ::testing::Test {
 protected:
  // Every row of Settings as name=kind=value, in the order the rows were written.
  QStringList Stored() const {
    return database.Column(
        "SELECT SettingName || '=' || SettingType || '=' || SettingValue FROM Settings ORDER BY "
        "rowid");
  }
  // How many transactions reach the disk while `work` runs.
  int Commits(const std::function<void()>& work) const {
    int count = 0;
    sqlite3* handle = database.Db()->Handle();
    sqlite3_commit_hook(
        handle, [](void* n) { return ++*static_cast<int*>(n), 0; }, &count);
    work();
    sqlite3_commit_hook(handle, nullptr, nullptr);
    return count;
  }
  // A list of `count` columns of width 1500 after loading the stored layout over it.
  ListLayout Loaded(int count, const QString& list = "DVDList") {
    ListLayout layout = Columns(count);
    LoadListLayout(database, list, QString(), layout, 200);
    return layout;
  }

  testsupport::TempDatabase database;
};

// Every key with its kind, in order, in one transaction, and loading gives the layout back (keys
// are the list's own and are not stored).
TEST_F(ListLayoutTest, SaveWritesEveryKeyInOneTransactionAndLoadGivesItBack) {
  ListLayout layout = Columns(2);
  layout.columns[0].width = 2400.5f;
  layout.columns[0].position = 2;
  layout.columns[1].position = 1;
  layout.columns[1].caption = "Schindler's \"List\"";
  layout.sorted = true;
  layout.sortKey = 1;
  layout.sortOrder = 1;

  EXPECT_EQ(
      Commits([&] { SettingsManager::SaveListLayout(database, "DVDList", QString(), layout); }), 1);
  EXPECT_EQ(Stored(),
            QStringList({"DVDList_HeaderCount=3=2", "DVDList_Sorted=11=True", "DVDList_SortKey=2=1",
                         "DVDList_SortOrder=3=1", "DVDList_ColumnWidth1=4=2400.5",
                         "DVDList_ColumnPosition1=2=2", "DVDList_ColumnText1=8=Caption 1",
                         "DVDList_ColumnWidth2=4=1500", "DVDList_ColumnPosition2=2=1",
                         "DVDList_ColumnText2=8=Schindler's \"List\""}));

  ListLayout loaded = Columns(2, 900);
  loaded.columns[0].caption = "other";
  LoadListLayout(database, "DVDList", QString(), loaded, 200);
  EXPECT_EQ(Described(loaded), Described(layout));
}

TEST_F(ListLayoutTest, NothingStoredLeavesTheListAlone) {
  ListLayout layout = Columns(4, 50);
  layout.sorted = true;
  layout.sortKey = 3;
  ListLayout loaded = layout;
  LoadListLayout(database, "DVDList", QString(), loaded, 200);
  EXPECT_EQ(Described(loaded), Described(layout));  // widths not even raised to the minimum

  // A stored count of 0 counts as nothing stored, whatever else is there.
  WriteSetting(database, "DVDList_HeaderCount", 0);
  WriteSetting(database, "DVDList_Sorted", false);
  WriteSetting(database, "DVDList_ColumnWidth1", 900.0f);
  LoadListLayout(database, "DVDList", QString(), loaded, 200);
  EXPECT_EQ(Described(loaded), Described(layout));
}

// The stored count decides: fewer trim the list, more add empty columns at the minimum width.
TEST_F(ListLayoutTest, TheStoredColumnCountTrimsOrExtendsTheList) {
  SettingsManager::SaveListLayout(database, "DVDList", QString(), Columns(5, 900));
  const ListLayout trimmed = Loaded(7);
  ASSERT_EQ(trimmed.columns.size(), 5u);
  EXPECT_EQ(Described(trimmed)[4], "Key5|Caption 5|900|5");

  WriteSetting(database, "OtherList_HeaderCount", 4);
  WriteSetting(database, "OtherList_ColumnWidth4", 700.0f);
  // Where a column's keys are missing, what the list had stays.
  EXPECT_EQ(Described(Loaded(2, "OtherList")),
            QStringList({"Key1|Caption 1|1500|1", "Key2|Caption 2|1500|2", "||200|0", "||700|0",
                         "sorted 0 by 0 order 0"}));
}

TEST_F(ListLayoutTest, StoredWidthsBelowTheMinimumAreRaised) {
  WriteSetting(database, "DVDList_HeaderCount", 1);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::pair<float, float> widths[] = {{50, 200},  {300, 300}, {200, 200}, {199.5f, 200},
                                            {-40, 200}, {0, 200},   {nan, 200}};
  for (const auto& [stored, expected] : widths) {
    WriteSetting(database, "DVDList_ColumnWidth1", stored);
    EXPECT_EQ(Loaded(1).columns[0].width, expected) << stored;
  }
}

// Values of the wrong kind fall back to the list's own; a damaged column count does not build
// thousands of columns.
TEST_F(ListLayoutTest, DamagedValuesFallBackToTheCurrentOnes) {
  WriteSetting(database, "DVDList_HeaderCount", 1);
  WriteSetting(database, "DVDList_ColumnWidth1", "wide");
  WriteSetting(database, "DVDList_ColumnPosition1", "first");
  WriteSetting(database, "DVDList_SortKey", 70000);  // beyond a 16-bit column number
  EXPECT_EQ(Described(Loaded(1)), QStringList({"Key1|Caption 1|1500|1", "sorted 0 by 0 order 0"}));

  WriteSetting(database, "DVDList_HeaderCount", 2000000000);
  const ListLayout loaded = Loaded(6);
  EXPECT_LE(loaded.columns.size(), 255u);
  EXPECT_GE(loaded.columns.size(), 6u);
}

TEST_F(ListLayoutTest, WindowPlacementRoundTripInOrderAndOneTransaction) {
  const WindowPlacement saved{1440.5f, -300, 7200, 9600, 2};
  EXPECT_EQ(Commits([&] { SettingsManager::SaveWindowPlacement(database, "PhoneBookFrm", saved); }),
            1);
  EXPECT_EQ(Stored(), QStringList({"PhoneBookFrmLeft=4=1440.5", "PhoneBookFrmTop=4=-300",
                                   "PhoneBookFrmHeight=4=7200", "PhoneBookFrmWidth=4=9600",
                                   "PhoneBookFrmWindowState=3=2"}));
  const WindowPlacement loaded = SettingsManager::LoadWindowPlacement(
      database, "PhoneBookFrm", WindowPlacement{1, 2, 3, 4, 0});
  EXPECT_EQ(QList<float>({loaded.left, loaded.top, loaded.height, loaded.width}),
            QList<float>({saved.left, saved.top, saved.height, saved.width}));
  EXPECT_EQ(loaded.state, saved.state);

  // Missing keys and values that are not numbers take the defaults.
  WriteSetting(database, "DVDReportFrmTop", 500.0f);
  WriteSetting(database, "DVDReportFrmWidth", "not a number");
  const WindowPlacement other = SettingsManager::LoadWindowPlacement(
      database, "DVDReportFrm", WindowPlacement{10, 20, 30, 40, 1});
  EXPECT_EQ(QList<float>({other.left, other.top, other.height, other.width}),
            QList<float>({10, 500, 30, 40}));
  EXPECT_EQ(other.state, 1);
}

TEST_F(ListLayoutTest, SeparatorRatioIsStoredAsSingleAndLoadedWithoutBound) {
  EXPECT_EQ(SettingsManager::LoadSeparatorRatio(database, "ReelKeeperFrm"), 0.5f);
  SettingsManager::SaveSeparatorRatio(database, "ReelKeeperFrm", 0.05f);
  EXPECT_EQ(SettingsManager::LoadSeparatorRatio(database, "ReelKeeperFrm"), 0.05f);
  EXPECT_EQ(Stored(), QStringList{"ReelKeeperFrmSeparatorRatio=4=0.05"});

  // No layout arithmetic can use a ratio that is not a number.
  SettingsManager::SaveSeparatorRatio(database, "PhoneBookFrm",
                                      std::numeric_limits<float>::infinity());
  EXPECT_EQ(SettingsManager::LoadSeparatorRatio(database, "PhoneBookFrm"), 0.5f);
}

TEST(SeparatorRatioTest, HeldBetweenOneEighthAndSevenEighths) {
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const std::pair<float, float> ratios[] = {{0.5f, 0.5f},     {0.01f, 0.125f},  {-3, 0.125f},
                                            {0.125f, 0.125f}, {0.875f, 0.875f}, {0.9f, 0.875f},
                                            {12, 0.875f},     {inf, 0.875f},    {nan, 0.5f}};
  for (const auto& [ratio, expected] : ratios) {
    EXPECT_EQ(SettingsManager::ClampSeparatorRatio(ratio), expected) << ratio;
  }
}

}  // namespace
