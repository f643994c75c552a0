// The clean-up the running program starts: afterwards every table owner works on the cleaned
// file, also when the clean-up failed part-way.
#include "app/DatabaseMaintenance.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"

namespace {

class CleanUpTest : public ::testing::Test {
 protected:
  void SetUp() override { db.AddDvd(QStringLiteral("Schindler's List")); }
  void TearDown() override { DatabaseFunctions::SetCleanupStepHook({}); }

  QStringList Titles() const { return db.Column(QStringLiteral("Select DVDTitle From Inventory")); }

  testsupport::TempDatabase db;
};

// What the clean-up does to the file is the engine's (DatabaseCleanupTest).
TEST_F(CleanUpTest, OwnersWorkOnTheCleanedFile) {
  const DatabaseMaintenance::CleanUpResult result = DatabaseMaintenance::CleanUpDatabase(nullptr);
  EXPECT_EQ(result.path, db.Path());
  EXPECT_FALSE(result.salvaged);
  EXPECT_FALSE(result.failure);
  ASSERT_TRUE(DatabaseFunctions::IsDatabaseOpen());
  // The owner holds the new handle, not the one the clean-up closed.
  EXPECT_EQ(InventoryFunctions::InventoryDatabase(), DatabaseFunctions::GetDatabase());
  EXPECT_EQ(Titles(), QStringList{QStringLiteral("Schindler's List")});
}

TEST_F(CleanUpTest, AFailurePartWayLeavesTheFileOpenAgainAndGoesOn) {
  DatabaseFunctions::SetCleanupStepHook([](DatabaseFunctions::CleanupStep step) {
    if (step == DatabaseFunctions::CleanupStep::CopyWritten) {
      throw DatabaseError(13, QStringLiteral("database or disk is full"), QStringLiteral("test"));
    }
  });
  const DatabaseMaintenance::CleanUpResult result = DatabaseMaintenance::CleanUpDatabase(nullptr);
  ASSERT_TRUE(result.failure);
  EXPECT_EQ(result.failure->Number(), 13);
  ASSERT_TRUE(DatabaseFunctions::IsDatabaseOpen());
  EXPECT_EQ(InventoryFunctions::InventoryDatabase(), DatabaseFunctions::GetDatabase());
  EXPECT_EQ(Titles(), QStringList{QStringLiteral("Schindler's List")});
}

}  // namespace
