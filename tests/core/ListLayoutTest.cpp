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

using SettingsManager::ReadSetting;
using SettingsManager::WriteSetting;

struct StoredSetting {
  QString name;
  int kind;
  QString value;
};

// Every row of Settings, in the order the rows were written.
std::vector<StoredSetting> StoredSettings() {
  Statement statement = DatabaseFunctions::GetDatabase()->Prepare(
      "SELECT SettingName, SettingType, SettingValue FROM Settings ORDER BY rowid");
  std::vector<StoredSetting> rows;
  while (statement.Step()) {
    rows.push_back({statement.Text(0), int(statement.Int64(1)), statement.Text(2)});
  }
  return rows;
}

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

class ListLayoutTest : public ::testing::Test {
 protected:
  testsupport::TempDatabase database;
};

TEST_F(ListLayoutTest, SaveWritesEveryKeyWithItsKindInOrderInOneTransaction) {
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

  const std::vector<StoredSetting> expected = {
      {"DVDList_HeaderCount", 3, "2"},
      {"DVDList_Sorted", 11, "True"},
      {"DVDList_SortKey", 2, "1"},
      {"DVDList_SortOrder", 3, "1"},
      {"DVDList_ColumnWidth1", 4, "2400.5"},
      {"DVDList_ColumnPosition1", 2, "2"},
      {"DVDList_ColumnText1", 8, "Caption 1"},
      {"DVDList_ColumnWidth2", 4, "1500"},
      {"DVDList_ColumnPosition2", 2, "1"},
      {"DVDList_ColumnText2", 8, "Schindler's \"List\""},
  };
  const auto stored = StoredSettings();
  ASSERT_EQ(stored.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(stored[i].name, expected[i].name) << i;
    EXPECT_EQ(stored[i].kind, expected[i].kind) << stored[i].name.toStdString();
    EXPECT_EQ(stored[i].value, expected[i].value) << stored[i].name.toStdString();
  }

  // Saving again updates the rows instead of adding a second set.
  SettingsManager::SaveListLayout("DVDList", QString(), layout);
  EXPECT_EQ(StoredSettings().size(), expected.size());
}

TEST_F(ListLayoutTest, NothingStoredLeavesTheListAlone) {
  ListLayout layout = Columns(4, 50);
  layout.sorted = true;
  layout.sortKey = 3;
  layout.sortOrder = 1;
  ListLayout loaded = layout;
  SettingsManager::LoadListLayout("DVDList", QString(), loaded, 200);
  ASSERT_EQ(loaded.columns.size(), 4u);
  EXPECT_EQ(loaded.columns[0].width, 50);  // not even raised to the minimum
  EXPECT_TRUE(loaded.sorted);
  EXPECT_EQ(loaded.sortKey, 3);

  // A stored count of 0 counts as nothing stored, whatever else is there.
  WriteSetting("DVDList_HeaderCount", 0);
  WriteSetting("DVDList_Sorted", false);
  WriteSetting("DVDList_ColumnWidth1", 900.0f);
  SettingsManager::LoadListLayout("DVDList", QString(), loaded, 200);
  EXPECT_EQ(loaded.columns.size(), 4u);
  EXPECT_EQ(loaded.columns[0].width, 50);
  EXPECT_TRUE(loaded.sorted);
}

TEST_F(ListLayoutTest, RoundTripRestoresWidthsPositionsCaptionsAndSort) {
  ListLayout saved = Columns(3);
  saved.columns[0] = {"DVDTitle", "Title", 3000, 3};
  saved.columns[1] = {"Category", "Kind", 1234.25f, 1};
  saved.columns[2] = {"Status", "Status", 800, 2};
  saved.sorted = true;
  saved.sortKey = 2;
  saved.sortOrder = 1;
  SettingsManager::SaveListLayout("DVDList", QString(), saved);

  ListLayout loaded = Columns(3, 1500);
  SettingsManager::LoadListLayout("DVDList", QString(), loaded, 200);
  ASSERT_EQ(loaded.columns.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(loaded.columns[i].width, saved.columns[i].width) << i;
    EXPECT_EQ(loaded.columns[i].position, saved.columns[i].position) << i;
    EXPECT_EQ(loaded.columns[i].caption, saved.columns[i].caption) << i;
    // Keys are the list's own and are not stored.
    EXPECT_EQ(loaded.columns[i].key, QStringLiteral("Key%1").arg(i + 1));
  }
  EXPECT_TRUE(loaded.sorted);
  EXPECT_EQ(loaded.sortKey, 2);
  EXPECT_EQ(loaded.sortOrder, 1);
}

TEST_F(ListLayoutTest, FiveStoredColumnsTrimASevenColumnList) {
  SettingsManager::SaveListLayout("DVDList", QString(), Columns(5, 900));
  ListLayout loaded = Columns(7, 1500);
  SettingsManager::LoadListLayout("DVDList", QString(), loaded, 200);
  ASSERT_EQ(loaded.columns.size(), 5u);
  EXPECT_EQ(loaded.columns[4].key, "Key5");
  EXPECT_EQ(loaded.columns[4].width, 900);
}

TEST_F(ListLayoutTest, MoreStoredColumnsAddEmptyOnesAtTheMinimumWidth) {
  WriteSetting("DVDList_HeaderCount", 4);
  WriteSetting("DVDList_ColumnWidth4", 700.0f);
  ListLayout loaded = Columns(2, 1500);
  SettingsManager::LoadListLayout("DVDList", QString(), loaded, 200);
  ASSERT_EQ(loaded.columns.size(), 4u);
  EXPECT_EQ(loaded.columns[0].width, 1500);  // its key is missing: the current width stays
  EXPECT_EQ(loaded.columns[2].caption, QString());
  EXPECT_EQ(loaded.columns[2].key, QString());
  EXPECT_EQ(loaded.columns[2].width, 200);
  EXPECT_EQ(loaded.columns[3].width, 700);
}

struct WidthCase {
  float stored;
  float expected;
};

class StoredWidthTest : public ListLayoutTest, public ::testing::WithParamInterface<WidthCase> {};

TEST_P(StoredWidthTest, WidthsBelowTheMinimumAreRaised) {
  WriteSetting("DVDList_HeaderCount", 1);
  WriteSetting("DVDList_ColumnWidth1", GetParam().stored);
  ListLayout loaded = Columns(1, 1500);
  SettingsManager::LoadListLayout("DVDList", QString(), loaded, 200);
  EXPECT_EQ(loaded.columns[0].width, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Widths, StoredWidthTest,
    ::testing::Values(WidthCase{50, 200}, WidthCase{300, 300}, WidthCase{200, 200},
                      WidthCase{199.5f, 200}, WidthCase{-40, 200}, WidthCase{0, 200},
                      WidthCase{std::numeric_limits<float>::quiet_NaN(), 200}));

TEST_F(ListLayoutTest, ValuesOfTheWrongKindFallBackToTheCurrentOnes) {
  WriteSetting("DVDList_HeaderCount", 1);
  WriteSetting("DVDList_ColumnWidth1", "wide");
  WriteSetting("DVDList_ColumnPosition1", "first");
  WriteSetting("DVDList_SortKey", 70000);  // beyond a 16-bit column number
  ListLayout loaded = Columns(1, 1500);
  loaded.sortKey = 0;
  SettingsManager::LoadListLayout("DVDList", QString(), loaded, 200);
  EXPECT_EQ(loaded.columns[0].width, 1500);
  EXPECT_EQ(loaded.columns[0].position, 1);
  EXPECT_EQ(loaded.sortKey, 0);
}

TEST_F(ListLayoutTest, ADamagedColumnCountDoesNotBuildThousandsOfColumns) {
  WriteSetting("DVDList_HeaderCount", 2000000000);
  ListLayout loaded = Columns(6);
  SettingsManager::LoadListLayout("DVDList", QString(), loaded, 200);
  EXPECT_LE(loaded.columns.size(), 255u);
  EXPECT_GE(loaded.columns.size(), 6u);
}

TEST_F(ListLayoutTest, WindowPlacementRoundTripInOrderAndOneTransaction) {
  const WindowPlacement saved{1440.5f, -300, 7200, 9600, 2};
  CommitCounter commits(database.Db()->Handle());
  SettingsManager::SaveWindowPlacement("PhoneBookFrm", saved);
  EXPECT_EQ(commits.Count(), 1);

  const auto stored = StoredSettings();
  const std::vector<std::pair<QString, int>> expected = {{"PhoneBookFrmLeft", 4},
                                                         {"PhoneBookFrmTop", 4},
                                                         {"PhoneBookFrmHeight", 4},
                                                         {"PhoneBookFrmWidth", 4},
                                                         {"PhoneBookFrmWindowState", 3}};
  ASSERT_EQ(stored.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(stored[i].name, expected[i].first);
    EXPECT_EQ(stored[i].kind, expected[i].second);
  }

  const WindowPlacement loaded =
      SettingsManager::LoadWindowPlacement("PhoneBookFrm", WindowPlacement{1, 2, 3, 4, 0});
  EXPECT_EQ(loaded.left, saved.left);
  EXPECT_EQ(loaded.top, saved.top);
  EXPECT_EQ(loaded.height, saved.height);
  EXPECT_EQ(loaded.width, saved.width);
  EXPECT_EQ(loaded.state, saved.state);
}

TEST_F(ListLayoutTest, MissingPlacementKeysTakeTheDefaults) {
  WriteSetting("DVDReportFrmTop", 500.0f);
  WriteSetting("DVDReportFrmWidth", "not a number");
  const WindowPlacement loaded =
      SettingsManager::LoadWindowPlacement("DVDReportFrm", WindowPlacement{10, 20, 30, 40, 1});
  EXPECT_EQ(loaded.left, 10);
  EXPECT_EQ(loaded.top, 500);
  EXPECT_EQ(loaded.height, 30);
  EXPECT_EQ(loaded.width, 40);
  EXPECT_EQ(loaded.state, 1);
}

TEST_F(ListLayoutTest, SeparatorRatioIsStoredAsSingleAndLoadedWithoutBound) {
  EXPECT_EQ(SettingsManager::LoadSeparatorRatio("ReelKeeperFrm"), 0.5f);
  SettingsManager::SaveSeparatorRatio("ReelKeeperFrm", 0.05f);
  EXPECT_EQ(SettingsManager::LoadSeparatorRatio("ReelKeeperFrm"), 0.05f);
  const auto stored = StoredSettings();
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0].name, "ReelKeeperFrmSeparatorRatio");
  EXPECT_EQ(stored[0].kind, 4);

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
