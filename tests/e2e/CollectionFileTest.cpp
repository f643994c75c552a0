// A collection the program cannot simply use at start: held by another program, damaged, or in
// a program folder that cannot be written. The user is told in plain words and asked where a
// choice exists; unattended, the default answer changes nothing, so the file stays as it was.
#include <gtest/gtest.h>

#include <QProcess>

#include "E2eSupport.h"
#include "TestSupport.h"

namespace {

using e2e::Checksum;
using e2e::LaunchOptions;
using e2e::Sandbox;
using testsupport::Sqlite3Shell;

// A collection of the program's own with a few DVDs, made by a first run.
void MakeCollection(const Sandbox& sandbox) {
  auto first = sandbox.Start();
  ASSERT_TRUE(first->WaitForShown()) << qPrintable(first->Stderr());
  first->Kill();
  Sqlite3Shell(sandbox.DatabaseFile(),
               "INSERT INTO Inventory (DVDTitle) VALUES ('Casablanca'), ('Vertigo'), ('Psycho')");
}

// Overwrites the page that holds the DVDs: the file opens, and loading the list meets the damage.
void DamageInventoryPage(const QString& file) {
  const qint64 pageSize = Sqlite3Shell(file, "PRAGMA page_size").toLongLong();
  const qint64 page =
      Sqlite3Shell(file, "SELECT rootpage FROM sqlite_master WHERE name = 'Inventory'")
          .toLongLong();
  ASSERT_GT(page, 1);
  QFile bytes(file);
  ASSERT_TRUE(bytes.open(QIODevice::ReadWrite));
  ASSERT_TRUE(bytes.seek((page - 1) * pageSize));
  bytes.write(QByteArray(int(pageSize), char(0xA5)));
}

enum class Trouble { HeldByAnotherProgram, Damaged };

struct TroubleCase {
  const char* name;
  Trouble trouble;
  const char* says;
};

void PrintTo(const TroubleCase& c, std::ostream* os) { *os << c.name; }

class StartQuestionTest : public ::testing::TestWithParam<TroubleCase> {};

TEST_P(StartQuestionTest, AsksInPlainWordsAndTheDefaultLeavesTheFileAsItWas) {
  Sandbox sandbox;
  MakeCollection(sandbox);
  const QString file = sandbox.DatabaseFile();
  QProcess locker;
  if (GetParam().trouble == Trouble::HeldByAnotherProgram) {
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
  const QStringList messages = sandbox.Messages();
  ASSERT_EQ(messages.size(), 1) << qPrintable(messages.join('|'));
  EXPECT_TRUE(messages[0].startsWith(QString("ReelKeeper\t") + GetParam().says))
      << qPrintable(messages[0]);
  EXPECT_TRUE(messages[0].contains(file)) << qPrintable(messages[0]);
  if (locker.state() == QProcess::Running) {
    locker.write("ROLLBACK;\n.quit\n");
    locker.closeWriteChannel();
    locker.waitForFinished();
  }
  EXPECT_EQ(Checksum(file), before);
  EXPECT_TRUE(sandbox.StrayFiles().isEmpty()) << qPrintable(sandbox.StrayFiles().join(' '));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, StartQuestionTest,
    ::testing::Values(TroubleCase{"HeldByAnotherProgram", Trouble::HeldByAnotherProgram,
                                  "The collection is in use by another program"},
                      TroubleCase{"Damaged", Trouble::Damaged, "The collection '"}),
    [](const auto& info) { return std::string(info.param.name); });

// An installed copy that a user had filled before: the collection is named, with what to do, and
// no empty collection appears in the data folder instead.
TEST(CollectionFileTest, CollectionInAReadOnlyProgramFolderIsNamedNotPassedOver) {
  Sandbox sandbox;
  MakeCollection(sandbox);
  const QByteArray before = Checksum(sandbox.DatabaseFile());
  sandbox.GiveToNobody(/*programFolderToo=*/false);
  QFile::remove(sandbox.Path("run/ReelKeeperMutex"));  // root's, from the first run
  LaunchOptions options;
  options.asNobody = true;
  auto program = sandbox.Start(options);
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  const QStringList messages = sandbox.Messages();
  ASSERT_EQ(messages.size(), 1) << qPrintable(messages.join('|'));
  // The file, the reason and the way out: the data folder the file may move to.
  for (const QString& part :
       {sandbox.DatabaseFile(), QString("cannot be written"), sandbox.Path("data/ReelKeeper")}) {
    EXPECT_TRUE(messages[0].contains(part)) << qPrintable(messages[0]);
  }
  EXPECT_FALSE(QFileInfo::exists(sandbox.Path("data/ReelKeeper")));
  EXPECT_EQ(Checksum(sandbox.DatabaseFile()), before);
}

}  // namespace
