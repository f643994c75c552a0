#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cmath>
#include <limits>

#include "TestSupport.h"
#include "data/DatabaseFunctions.h"
#include "settings/ListLayout.h"
#include "settings/SettingsManager.h"
#include "settings/WindowPlacement.h"

namespace {

using SettingsManager::LoadListLayout;
using SettingsManager::WriteSetting;

// Counts the transactions that reach the disk.
class CommitCounter {
 public:
  explicit CommitCounter(sqlite3* db) : db_(db) {
    sqlite3_commit_hook(db_, &CommitCounter::Hook, this);
  }
  ~CommitCounter() { sqlite3_commit_hook(db_, nullptr, nullptr); }
  int Count() const { return count_; }

 private:
  static int Hook(void* self) {
    ++static_cast<CommitCounter*>(self)->count_;
    return 0;
  }
  sqlite3* db_;
  int count_ = 0;
};

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
  // A list of `count` columns of width 1500 after loading the stored layout over it.
  static ListLayout Loaded(int count, const QString& list = "DVDList") {
    ListLayout layout = Columns(count);
    LoadListLayout(list, QString(), layout, 200);
    return layout;
  }

  testsupport::TempDatabase database;
};

// Every key with its kind, in order, in one transaction; saving again updates the same rows, and
// loading gives the layout back (keys are the list's own and are not stored).
TEST_F(ListLayoutTest, SaveWritesEveryKeyInOneTransactionAndLoadGivesItBack) {
  ListLayout layout = Columns(2);
  layout.columns[0].width = 2400.5f;
  layout.columns[0].position = 2;
  layout.columns[1].position = 1;
  layout.columns[1].caption = "Schindler's \"List\"";
  layout.sorted = true;
  layout.sortKey = 1;
  layout.sortOrder = 1;

  CommitCounter commits(database.Db()->Handle());
  SettingsManager::SaveListLayout("DVDList", QString(), layout);
  EXPECT_EQ(commits.Count(), 1);
  const QStringList expected = {"DVDList_HeaderCount=3=2",
                                "DVDList_Sorted=11=True",
                                "DVDList_SortKey=2=1",
                                "DVDList_SortOrder=3=1",
                                "DVDList_ColumnWidth1=4=2400.5",
                                "DVDList_ColumnPosition1=2=2",
                                "DVDList_ColumnText1=8=Caption 1",
                                "DVDList_ColumnWidth2=4=1500",
                                "DVDList_ColumnPosition2=2=1",
                                "DVDList_ColumnText2=8=Schindler's \"List\""};
  EXPECT_EQ(Stored(), expected);
  SettingsManager::SaveListLayout("DVDList", QString(), layout);
  EXPECT_EQ(Stored(), expected);

  ListLayout loaded = Columns(2, 900);
  loaded.columns[0].caption = "other";
  LoadListLayout("DVDList", QString(), loaded, 200);
  EXPECT_EQ(Described(loaded), Described(layout));
}

TEST_F(ListLayoutTest, NothingStoredLeavesTheListAlone) {
  ListLayout layout = Columns(4, 50);
  layout.sorted = true;
  layout.sortKey = 3;
  ListLayout loaded = layout;
  LoadListLayout("DVDList", QString(), loaded, 200);
  EXPECT_EQ(Described(loaded), Described(layout));  // widths not even raised to the minimum

  // A stored count of 0 counts as nothing stored, whatever else is there.
  WriteSetting("DVDList_HeaderCount", 0);
  WriteSetting("DVDList_Sorted", false);
  WriteSetting("DVDList_ColumnWidth1", 900.0f);
  LoadListLayout("DVDList", QString(), loaded, 200);
  EXPECT_EQ(Described(loaded), Described(layout));
}

// The stored count decides: fewer trim the list, more add empty columns at the minimum width.
TEST_F(ListLayoutTest, TheStoredColumnCountTrimsOrExtendsTheList) {
  SettingsManager::SaveListLayout("DVDList", QString(), Columns(5, 900));
  const ListLayout trimmed = Loaded(7);
  ASSERT_EQ(trimmed.columns.size(), 5u);
  EXPECT_EQ(Described(trimmed)[4], "Key5|Caption 5|900|5");

  WriteSetting("OtherList_HeaderCount", 4);
  WriteSetting("OtherList_ColumnWidth4", 700.0f);
  // Where a column's keys are missing, what the list had stays.
  EXPECT_EQ(Described(Loaded(2, "OtherList")),
            QStringList({"Key1|Caption 1|1500|1", "Key2|Caption 2|1500|2", "||200|0", "||700|0",
                         "sorted 0 by 0 order 0"}));
}

struct WidthCase {
  float stored;
  float expected;
};

class StoredWidthTest : public ListLayoutTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(StoredWidthTest, WidthsBelowTheMinimumAreRaised) {
  WriteSetting("DVDList_HeaderCount", 1);
  WriteSetting("DVDList_ColumnWidth1", GetParam().stored);
  EXPECT_EQ(Loaded(1).columns[0].width, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, StoredWidthTest,
    ::testing::Values(WidthCase{50, 200}, WidthCase{300, 300}, WidthCase{200, 200},
                      WidthCase{199.5f, 200}, WidthCase{-40, 200}, WidthCase{0, 200},
                      WidthCase{std::numeric_limits<float>::quiet_NaN(), 200}));

// Values of the wrong kind fall back to the list's own; a damaged column count does not build
// thousands of columns.
TEST_F(ListLayoutTest, DamagedValuesFallBackToTheCurrentOnes) {
  WriteSetting("DVDList_HeaderCount", 1);
  WriteSetting("DVDList_ColumnWidth1", "wide");
  WriteSetting("DVDList_ColumnPosition1", "first");
  WriteSetting("DVDList_SortKey", 70000);  // beyond a 16-bit column number
  EXPECT_EQ(Described(Loaded(1)), QStringList({"Key1|Caption 1|1500|1", "sorted 0 by 0 order 0"}));

  WriteSetting("DVDList_HeaderCount", 2000000000);
  const ListLayout loaded = Loaded(6);
  EXPECT_LE(loaded.columns.size(), 255u);
  EXPECT_GE(loaded.columns.size(), 6u);
}

TEST_F(ListLayoutTest, WindowPlacementRoundTripInOrderAndOneTransaction) {
  const WindowPlacement saved{1440.5f, -300, 7200, 9600, 2};
  CommitCounter commits(database.Db()->Handle());
  SettingsManager::SaveWindowPlacement("PhoneBookFrm", saved);
  EXPECT_EQ(commits.Count(), 1);
  EXPECT_EQ(Stored(), QStringList({"PhoneBookFrmLeft=4=1440.5", "PhoneBookFrmTop=4=-300",
                                   "PhoneBookFrmHeight=4=7200", "PhoneBookFrmWidth=4=9600",
                                   "PhoneBookFrmWindowState=3=2"}));
  const WindowPlacement loaded =
      SettingsManager::LoadWindowPlacement("PhoneBookFrm", WindowPlacement{1, 2, 3, 4, 0});
  EXPECT_EQ(QList<float>({loaded.left, loaded.top, loaded.height, loaded.width}),
            QList<float>({saved.left, saved.top, saved.height, saved.width}));
  EXPECT_EQ(loaded.state, saved.state);

  // Missing keys and values that are not numbers take the defaults.
  WriteSetting("DVDReportFrmTop", 500.0f);
  WriteSetting("DVDReportFrmWidth", "not a number");
  const WindowPlacement other =
      SettingsManager::LoadWindowPlacement("DVDReportFrm", WindowPlacement{10, 20, 30, 40, 1});
  EXPECT_EQ(QList<float>({other.left, other.top, other.height, other.width}),
            QList<float>({10, 500, 30, 40}));
  EXPECT_EQ(other.state, 1);
}

TEST_F(ListLayoutTest, SeparatorRatioIsStoredAsSingleAndLoadedWithoutBound) {
  EXPECT_EQ(SettingsManager::LoadSeparatorRatio("ReelKeeperFrm"), 0.5f);
  SettingsManager::SaveSeparatorRatio("ReelKeeperFrm", 0.05f);
  EXPECT_EQ(SettingsManager::LoadSeparatorRatio("ReelKeeperFrm"), 0.05f);
  EXPECT_EQ(Stored(), QStringList{"ReelKeeperFrmSeparatorRatio=4=0.05"});

  // No layout arithmetic can use a ratio that is not a number.
  SettingsManager::SaveSeparatorRatio("PhoneBookFrm", std::numeric_limits<float>::infinity());
  EXPECT_EQ(SettingsManager::LoadSeparatorRatio("PhoneBookFrm"), 0.5f);
}

struct RatioCase {
  float ratio;
  float expected;
};

class SeparatorClampTest : public ::testing::TestWithParam<RatioCase> {};

TEST_P(SeparatorClampTest, HeldBetweenOneEighthAndSevenEighths) {
  EXPECT_EQ(SettingsManager::ClampSeparatorRatio(GetParam().ratio), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ratios, SeparatorClampTest,
    ::testing::Values(RatioCase{0.5f, 0.5f}, RatioCase{0.01f, 0.125f}, RatioCase{-3, 0.125f},
                      RatioCase{0.125f, 0.125f}, RatioCase{0.875f, 0.875f}, RatioCase{0.9f, 0.875f},
                      RatioCase{12, 0.875f},
                      RatioCase{std::numeric_limits<float>::infinity(), 0.875f},
                      RatioCase{std::numeric_limits<float>::quiet_NaN(), 0.5f}));

}  // namespace
