// A collection the program cannot simply use at start: held by another program, damaged, or one
// that cannot be written. The user is told in plain words and asked where a choice exists;
// unattended, the default answer changes nothing, so the file stays as it was.
#include <gtest/gtest.h>

#include <QProcess>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

using e2e::Sandbox;
using testsupport::Checksum;
using testsupport::Sqlite3Shell;

// Overwrites the page that holds the DVDs: the file opens, and loading the list meets the damage.
void DamageInventoryPage(const QString& file) {
  const qint64 pageSize = Sqlite3Shell(file, "PRAGMA page_size").toLongLong();
  const qint64 page =
      Sqlite3Shell(file, "SELECT rootpage FROM sqlite_master WHERE name = 'Inventory'")
          .toLongLong();
  ASSERT_GT(page, 1);
  QFile bytes(file);
  ASSERT_TRUE(bytes.open(QIODevice::ReadWrite) && bytes.seek((page - 1) * pageSize));
  bytes.write(QByteArray(int(pageSize), char(0xA5)));
}

class StartQuestionTest : public ::testing::TestWithParam<bool> {};

TEST_P(StartQuestionTest, AsksInPlainWordsAndTheDefaultLeavesTheFileAsItWas) {
  const bool held = GetParam();
  Sandbox sandbox;
  sandbox.RunOnce();
  const QString file = sandbox.DatabaseFile();
  Sqlite3Shell(file, "INSERT INTO Inventory (DVDTitle) VALUES ('Casablanca'), ('Vertigo')");
  QProcess locker;
  if (held) {
    // Another program holds the file in the middle of a write of its own.
    locker.start("sqlite3", {"-batch", file});
    ASSERT_TRUE(locker.waitForStarted());
    locker.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
    while (!locker.readAllStandardOutput().contains("locked")) {
      ASSERT_TRUE(locker.waitForReadyRead(10000));
    }
  } else {
    DamageInventoryPage(file);
  }
  const QByteArray before = Checksum(file);
  auto program = sandbox.Start();
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  sandbox.ExpectOneMessage({held ? "ReelKeeper\tThe collection is in use by another program"
                                 : "ReelKeeper\tThe "
                                   "collection '",
                            file});
  if (held) {
    locker.write("ROLLBACK;\n.quit\n");
    locker.closeWriteChannel();
    locker.waitForFinished();
  }
  EXPECT_EQ(Checksum(file), before);
  EXPECT_TRUE(sandbox.StrayFiles().isEmpty()) << qPrintable(sandbox.StrayFiles().join(' '));
}

INSTANTIATE_TEST_SUITE_P(Kinds, StartQuestionTest, ::testing::Bool(), [](const auto& info) {
  return info.param ? "HeldByAnotherProgram" : "Damaged";
});

class UnwritableTest : public ::testing::TestWithParam<bool> {};

// The user may not write the file (root's, read only), or not its folder (an installed copy that
// a user had filled before). The start ends with a message that names the file and the reason,
// for a folder also the way out (the data folder the file may move to), and no empty collection
// appears in the data folder instead.
TEST_P(UnwritableTest, FileIsNamedAndLeftAsItWas) {
  const bool folder = GetParam();
  Sandbox sandbox;
  sandbox.RunOnce();
  sandbox.GiveToNobody(/*programFolderToo=*/!folder);
  e2e::Chmod(sandbox.DatabaseFile(), 0644);
  QFile::remove(sandbox.Path("run/ReelKeeperMutex"));  // root's, from the first run
  const QByteArray before = Checksum(sandbox.DatabaseFile());
  e2e::LaunchOptions options;
  options.asNobody = true;
  auto program = sandbox.Start(options);
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  QStringList parts = {sandbox.DatabaseFile(), "cannot be written"};
  if (folder) parts << sandbox.Path("data/ReelKeeper");
  sandbox.ExpectOneMessage(parts);
  EXPECT_FALSE(QFileInfo::exists(sandbox.Path("data/ReelKeeper")));
  EXPECT_EQ(Checksum(sandbox.DatabaseFile()), before);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnwritableTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "ProgramFolder" : "File"; });

}  // namespace
