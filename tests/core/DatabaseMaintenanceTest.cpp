// The clean-up the running program starts: afterwards every table owner works on the cleaned
// file, also when the clean-up failed part-way.
#include "app/DatabaseMaintenance.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"

namespace {

class CleanUpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 300; ++i) db.AddDvd(QStringLiteral("DVD %1").arg(i), QString(500, u'x'));
    // Deleted rows leave free pages that compacting gives back.
    DatabaseFunctions::GetDatabase()->Execute(QStringLiteral("Delete From Inventory"));
    db.AddDvd(QStringLiteral("Schindler's List"));
  }
  void TearDown() override { DatabaseFunctions::SetCleanupStepHook({}); }

  QStringList Titles() const { return db.Column(QStringLiteral("Select DVDTitle From Inventory")); }

  testsupport::TempDatabase db;
};

TEST_F(CleanUpTest, OwnersWorkOnTheCompactedFile) {
  const qint64 before = QFileInfo(db.Path()).size();
  const DatabaseMaintenance::CleanUpResult result = DatabaseMaintenance::CleanUpDatabase(nullptr);
  EXPECT_EQ(result.path, db.Path());
  EXPECT_FALSE(result.salvaged);
  EXPECT_FALSE(result.failure);
  EXPECT_LT(QFileInfo(db.Path()).size(), before);
  EXPECT_FALSE(QFile::exists(db.Path() + u'1'));
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
