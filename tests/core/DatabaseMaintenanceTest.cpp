// The clean-up the running program starts: afterwards every table owner works on the cleaned
// file, also when the clean-up failed part-way.
#include "upkeep/DatabaseMaintenance.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"

namespace {

class CleanUpTest : public ::testing::Test {
 protected:
  void SetUp() override { db.AddDvd("Schindler's List"); }
  void TearDown() override { DatabaseFunctions::SetCleanupStepHook({}); }

  // The file is open again, and the owner holds the new handle, not the one the clean-up closed.
  void ExpectOwnerOnTheOpenFile() const {
    ASSERT_TRUE(DatabaseFunctions::IsDatabaseOpen());
    EXPECT_EQ(InventoryFunctions::InventoryDatabase(), DatabaseFunctions::GetDatabase());
    EXPECT_EQ(db.Column("Select DVDTitle From Inventory"), QStringList{"Schindler's List"});
  }

  testsupport::TempDatabase db;
};

// What the clean-up does to the file is the engine's (DatabaseCleanupTest).
TEST_F(CleanUpTest, OwnersWorkOnTheCleanedFile) {
  const DatabaseMaintenance::CleanUpResult result = DatabaseMaintenance::CleanUpDatabase(nullptr);
  EXPECT_EQ(result.path, db.Path());
  EXPECT_FALSE(result.cleaned.salvaged);
  EXPECT_FALSE(result.failure);
  ExpectOwnerOnTheOpenFile();
}

TEST_F(CleanUpTest, AFailurePartWayLeavesTheFileOpenAgainAndGoesOn) {
  DatabaseFunctions::SetCleanupStepHook([](DatabaseFunctions::CleanupStep step) {
    if (step == DatabaseFunctions::CleanupStep::CopyWritten) {
      throw DatabaseError(13, "database or disk is full", "test");
    }
  });
  const DatabaseMaintenance::CleanUpResult result = DatabaseMaintenance::CleanUpDatabase(nullptr);
  ASSERT_TRUE(result.failure);
  EXPECT_EQ(result.failure->Number(), 13);
  ExpectOwnerOnTheOpenFile();
}

}  // namespace
