#include "data/DatabaseBackup.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "ChildProcess.h"
#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "upkeep/DatabaseMaintenance.h"

namespace {

using DatabaseBackup::RestoreStep;
using testsupport::Checksum;

const QString kContent = QStringLiteral(
    "SELECT DVDTitle, Status, Name, BarCode FROM Inventory ORDER BY DVDTitle;"
    "SELECT Name, Phone FROM Customers ORDER BY Name;");

class BackupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_.AddDvd("Schindler's List", "Drama", 1, "Ann O'Neil", "2024-01-01", "2024-02-01", "007");
    db_.AddDvd("Alien", "Horror");
    db_.AddCustomer("Ann O'Neil", "555-0100");
  }
  QString Shell(const QString& path, const QString& sql = kContent) const {
    return testsupport::Sqlite3Shell(path, sql);
  }
  QString InFolder(const QString& name) const { return db_.Folder() + u'/' + name; }
  // A backup taken now, then a change to the collection, closed: the two states a restore
  // moves between.
  QString BackUpThenChange() {
    const QString backup = InFolder("Backup.mdb");
    DatabaseBackup::BackUp(db_.Db(), backup);
    db_.AddDvd("Heat");
    DatabaseMaintenance::Close(db_);
    return backup;
  }

  testsupport::TempDatabase db_;
};

TEST_F(BackupTest, CopyOfTheOpenCollectionIsWholePrivateAndDescribed) {
  const QString backup = InFolder("Copies/ReelKeeper-2024-03-01.mdb");
  QDir().mkpath(InFolder("Copies"));
  DatabaseBackup::BackUp(db_.Db(), backup);
  db_.AddDvd("Written after the copy");  // the collection stays open and usable

  EXPECT_EQ(Shell(backup), Shell(db_.Path()).remove("Written after the copy|0||\n"));
  EXPECT_EQ(Shell(backup, "PRAGMA integrity_check"), "ok");
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(backup).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_EQ(QDir(InFolder("Copies")).entryList(QDir::Files),
            QStringList{"ReelKeeper-2024-03-01.mdb"});

  const DatabaseBackup::BackupInfo described = DatabaseBackup::Inspect(backup);
  EXPECT_TRUE(described.usable) << qPrintable(described.problem);
  EXPECT_EQ(described.dvds, 2);
  EXPECT_EQ(described.borrowers, 1);
  EXPECT_EQ(described.loansOut, 1);
  EXPECT_TRUE(described.made.isValid());

  const QString before = Shell(db_.Path());
  EXPECT_THROW(DatabaseBackup::BackUp(db_.Db(), db_.Path()), DatabaseError);
  db_.AddDvd("Written after the refusal");
  EXPECT_TRUE(Shell(db_.Path()).contains("Written after the refusal"));
}

TEST_F(BackupTest, AutomaticCopiesKeepTheNewestOnly) {
  const QDateTime start(QDate(2024, 3, 1), QTime(9, 0));
  QStringList made;
  for (int day = 0; day < 5; ++day) {
    made << DatabaseBackup::BackUpAutomatically(db_.Db(), 3, start.addDays(day));
  }
  EXPECT_EQ(made.last(), InFolder("Backups/ReelKeeper-20240305-090000.mdb"));
  EXPECT_EQ(DatabaseBackup::AutomaticBackups(db_.Path()), (QStringList{made[4], made[3], made[2]}));
}

TEST_F(BackupTest, RestoreKeepsTheCollectionAsideAndPutsTheBackupInItsPlace) {
  const QString backup = BackUpThenChange();
  const QString before = Shell(db_.Path());
  DatabaseBackup::Restore(backup, db_.Path());
  EXPECT_EQ(Shell(db_.Path()), Shell(backup));
  EXPECT_EQ(Shell(db_.Path() + ".before-restore"), before);
  EXPECT_FALSE(QFileInfo::exists(db_.Path() + ".partial"));
}

// Another program's database, a damaged copy and a text file are each refused; neither they nor
// the collection change.
TEST_F(BackupTest, FilesThatAreNotUsableBackupsAreRefusedAndChangeNothing) {
  const QString good = BackUpThenChange();
  const QString foreign = InFolder("Other.db");
  Shell(foreign, "CREATE TABLE Photos (Path TEXT); INSERT INTO Photos VALUES ('a.jpg');");
  const QString damaged = InFolder("Damaged.mdb");
  QFile::copy(good, damaged);
  {
    QFile file(damaged);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 pageSize = Shell(good, "PRAGMA page_size").toLongLong();
    file.seek(pageSize + 16);
    file.write(QByteArray(int(file.size() - pageSize - 16), '\xA5'));
  }
  const QString text = InFolder("Notes.txt");
  QFile notes(text);
  ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
  notes.write("Not a backup\n");
  notes.close();

  const QByteArray collection = Checksum(db_.Path());
  for (const QString& file : {foreign, damaged, text}) {
    const QByteArray bytes = Checksum(file);
    const DatabaseBackup::BackupInfo info = DatabaseBackup::Inspect(file);
    EXPECT_FALSE(info.usable) << qPrintable(file);
    EXPECT_TRUE(info.problem.contains(file)) << qPrintable(info.problem);
    EXPECT_THROW(DatabaseBackup::Restore(file, db_.Path()), DatabaseError);
    EXPECT_EQ(Checksum(file), bytes);
    EXPECT_EQ(Checksum(db_.Path()), collection);
  }
  EXPECT_FALSE(QFileInfo::exists(db_.Path() + ".before-restore"));
  EXPECT_EQ(QDir(db_.Folder()).entryList({"*.partial", "*-journal"}, QDir::Files), QStringList());
}

// Cancel during the check interrupts the engine's statement and reads as stopped, not as
// damage; Cancel at the copy's last slice, the latest it is heard, still changes nothing.
TEST_F(BackupTest, StoppedCheckOrRestoreChangesNothing) {
  db_.Db()->ExecuteRaw(
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) INSERT INTO "
      "Inventory (DVDTitle, Description) SELECT 'Title ' || i, printf('%.600c', 'x') FROM n");
  const QString backup = BackUpThenChange();
  int reports = 0;
  auto stopAt = [&reports](int last) {
    reports = 0;
    return [&reports, last](qint64, qint64) { return ++reports < last; };
  };
  const DatabaseBackup::BackupInfo info = DatabaseBackup::Inspect(backup, stopAt(2));
  EXPECT_TRUE(info.cancelled && !info.usable && info.problem.isEmpty());

  DatabaseBackup::Restore(backup, InFolder("Scratch.mdb"), stopAt(1000000));
  const int all = reports;
  const QByteArray collection = Checksum(db_.Path());
  try {
    DatabaseBackup::Restore(backup, db_.Path(), stopAt(all));
    ADD_FAILURE() << "not stopped";
  } catch (const DatabaseError& error) {
    EXPECT_TRUE(DatabaseBackup::IsStopped(error));
  }
  EXPECT_EQ(reports, all);
  EXPECT_EQ(Checksum(db_.Path()), collection);
  EXPECT_EQ(QDir(db_.Folder()).entryList({"*.partial", "*.before-restore"}), QStringList());
}

class RestoreKilledTest : public BackupTest, public ::testing::WithParamInterface<RestoreStep> {};

// Killed at any moment, a restore leaves the old collection or the restored one, whole.
TEST_P(RestoreKilledTest, CollectionIsTheOldOrTheNewOne) {
  const QString backup = BackUpThenChange();
  const QString before = Shell(db_.Path());
  const QString after = Shell(backup);
  const RestoreStep step = GetParam();
  const auto result = childtest::RunInChild([&] {
    DatabaseBackup::SetRestoreStepHook([step](RestoreStep now) {
      if (now == step) ::raise(SIGKILL);
    });
    DatabaseBackup::Restore(backup, db_.Path());
    return 0;
  });
  ASSERT_EQ(result.signal, SIGKILL) << "the step was never reached (exit " << result.code << ")";
  EXPECT_EQ(Shell(db_.Path(), "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Shell(db_.Path()), step == RestoreStep::Replaced ? after : before);

  if (step >= RestoreStep::CurrentKept) {
    EXPECT_EQ(Shell(db_.Path() + ".before-restore"), before);
  }

  DatabaseBackup::Restore(backup, db_.Path());  // the next attempt finishes the job
  EXPECT_EQ(Shell(db_.Path()), after);
  EXPECT_EQ(QDir(db_.Folder()).entryList({"*.partial"}, QDir::Files), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Steps, RestoreKilledTest,
                         ::testing::Values(RestoreStep::Started, RestoreStep::CopyWritten,
                                           RestoreStep::CopyFlushed, RestoreStep::CurrentKept,
                                           RestoreStep::Replaced));

}  // namespace
