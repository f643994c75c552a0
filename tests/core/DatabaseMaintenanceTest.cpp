// The clean-up the running program starts: afterwards every table owner works on the cleaned
// file, also when the clean-up failed part-way.
#include "upkeep/DatabaseMaintenance.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryRecords.h"
#include "upkeep/CollectionBackups.h"

namespace {

class CleanUpTest : public ::testing::Test {
 protected:
  void SetUp() override { db.AddDvd("Schindler's List"); }
  void TearDown() override { DatabaseFunctions::SetCleanupStepHook({}); }

  // The file is open again in the same collection, not on the handle the clean-up closed.
  void ExpectOwnerOnTheOpenFile() {
    ASSERT_TRUE(db.Db() && db.Db()->IsOpen());
    EXPECT_NE(db.Db(), before);
    EXPECT_TRUE(InventoryFunctions::FindDVD(db, "Schindler's List"));
  }

  testsupport::TempDatabase db;
  const DatabaseHandle before = db.Db();
};

// What the clean-up does to the file is the engine's (DatabaseCleanupTest).
TEST_F(CleanUpTest, OwnersWorkOnTheCleanedFile) {
  const DatabaseMaintenance::CleanUpResult result =
      DatabaseMaintenance::CleanUpDatabase(db, nullptr);
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
  const DatabaseMaintenance::CleanUpResult result =
      DatabaseMaintenance::CleanUpDatabase(db, nullptr);
  ASSERT_TRUE(result.failure);
  EXPECT_EQ(result.failure->Number(), 13);
  ExpectOwnerOnTheOpenFile();
}

// Cleaning up can wait; a copy that cannot be made (here a file named "Backups" is in the way)
// is said, and the default answer leaves the file as it was.
TEST_F(CleanUpTest, ACopyThatCannotBeMadeIsSaidAndNoChangesNothing) {
  testsupport::TempCurrentFolder logFolder;
  QFile(db.Folder() + "/Backups").open(QIODevice::WriteOnly);
  const QByteArray before = testsupport::Checksum(db.Path());
  testsupport::ScriptedMessageBox boxes;
  DatabaseMaintenance::CleanUpResult result = DatabaseMaintenance::CleanUpDatabase(db, nullptr);
  EXPECT_TRUE(result.declined);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_TRUE(boxes.Shown()[0].text.endsWith(
      "Clean up the database without a backup? No leaves the database as it is."));
  EXPECT_EQ(boxes.Shown()[0].defaultAnswer, seams::MsgAnswer::No);
  EXPECT_EQ(testsupport::Checksum(db.Path()), before);

  boxes.Answer(seams::MsgAnswer::Yes);
  result = DatabaseMaintenance::CleanUpDatabase(db, nullptr);
  EXPECT_FALSE(result.declined);
  EXPECT_FALSE(result.failure);
  ExpectOwnerOnTheOpenFile();
}

// One copy a day at exit, whatever the number of sessions.
TEST_F(CleanUpTest, OneCopyADayAtExit) {
  testsupport::FixedClock clock(QDate(2024, 4, 10));
  const QString copy = CollectionBackups::BackUpAtExit(db);
  EXPECT_TRUE(QFileInfo(copy).fileName().startsWith("ReelKeeper-20240410-"));
  EXPECT_EQ(CollectionBackups::BackUpAtExit(db), QString());
  testsupport::FixedClock tomorrow(QDate(2024, 4, 11));
  EXPECT_FALSE(CollectionBackups::BackUpAtExit(db).isEmpty());
}

}  // namespace
