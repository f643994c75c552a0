#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ChildProcess.h"
#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "data/DatabaseFunctions.h"
#include "seams/ProgressSink.h"
#include "settings/SettingsManager.h"
#include "upkeep/DatabaseMaintenance.h"

namespace {

using DatabaseFunctions::CleanupStep;
using testsupport::Checksum;

ino_t Inode(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

class RecordedProgress final : public seams::ProgressSink {
 public:
  void Progress(const QString& text) override { texts << text; }
  QStringList texts;
};

// What the user would miss if a row went astray, in a stable order.
const QString kContent = QStringLiteral(
    "SELECT DVDTitle, Category, Status, Name, DueDate, BarCode FROM Inventory ORDER BY DVDTitle;"
    "SELECT Name, Phone FROM Customers ORDER BY Name;"
    "SELECT SettingName, SettingType, SettingValue FROM Settings ORDER BY SettingName;");

class CleanupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Transaction batch(db_.Db());
    for (int i = 0; i < kDvds; ++i) {
      db_.AddDvd(QStringLiteral("Title %1 - Schindler's List").arg(i, 5, 10, QLatin1Char('0')),
                 "Drama", i % 3 == 0 ? 1 : 0, "Ann", "2024-01-01", "2024-02-01",
                 QStringLiteral("007%1").arg(i), "PG", "Someone", QString(200, u'x'));
    }
    db_.AddCustomer("Ann O'Neil", "555-0100");
    SettingsManager::WriteSetting(db_, "ReportFontSize", 12);
    SettingsManager::WriteSetting(db_, "ReelKeeperFrmSeparatorRatio", 0.375);
    batch.Commit();
    content_ = testsupport::Sqlite3Shell(db_.Path(), kContent);
    ASSERT_TRUE(content_.contains("Title 01999"));
    ASSERT_TRUE(content_.endsWith("\nReportFontSize|3|12")) << qPrintable(content_);
  }

  QString Path() const { return db_.Path(); }
  QString Copy() const { return db_.Path() + u'1'; }
  QString Shell(const QString& sql) const { return testsupport::Sqlite3Shell(Path(), sql); }
  // What an earlier, interrupted clean-up left beside the file.
  void LeaveCopy() const {
    QFile leftover(Copy());
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.write("half a copy");
  }

  // Overwrites one leaf page of the Inventory table in the middle of its rows with garbage.
  void DamageInventoryPage() {
    DatabaseMaintenance::Close(db_);
    const QStringList pages =
        Shell(QStringLiteral(
                  "SELECT pageno FROM dbstat WHERE name = 'Inventory' AND pagetype = 'leaf' "
                  "ORDER BY pageno"))
            .split(u'\n');
    ASSERT_GT(pages.size(), 10);
    const qint64 page = pages[pages.size() / 2].toLongLong();
    const qint64 pageSize = Shell("PRAGMA page_size").toLongLong();
    QFile file(Path());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek((page - 1) * pageSize + 8));
    file.write(QByteArray(int(pageSize) - 8, '\xA5'));
    file.close();
    ASSERT_NE(Shell("PRAGMA quick_check"), "ok");
  }

  static constexpr int kDvds = 2000;
  testsupport::TempDatabase db_;
  QString content_;
};

// A copy left by an earlier attempt after the file was opened is the clean-up's to replace.
TEST_F(CleanupTest, HealthyFileKeepsEveryRowAndShrinks) {
  db_.Db()->Execute("DELETE FROM Inventory WHERE DVDTitle Like 'Title 00*'");
  const QString kept = Shell(kContent);
  LeaveCopy();
  const qint64 before = QFileInfo(Path()).size();
  RecordedProgress progress;
  QList<bool> busy;
  DatabaseFunctions::CleanupOptions options;
  options.progress = &progress;
  options.busy = [&busy](bool on) { busy << on; };

  const auto summary = DatabaseFunctions::CleanDatabase(db_.Db(), options);

  EXPECT_FALSE(db_.Db()->IsOpen());
  EXPECT_FALSE(summary.salvaged);
  EXPECT_EQ(progress.texts,
            QStringList({"Checking DB and repairing as necessary...",
                         "Compacting DB...       Please wait.", "Cleanup Complete."}));
  EXPECT_EQ(busy, QList<bool>({true, false}));
  EXPECT_EQ(Shell(kContent), kept);
  EXPECT_EQ(Shell("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Shell("PRAGMA application_id").toLongLong(), DatabaseFunctions::kApplicationId);
  EXPECT_EQ(Shell("PRAGMA user_version").toInt(), DatabaseFunctions::kSchemaVersion);
  EXPECT_LT(QFileInfo(Path()).size(), before);
  EXPECT_FALSE(QFileInfo::exists(Copy()));
  EXPECT_FALSE(QFileInfo::exists(Path() + ".damaged"));
  // The program opens the result as its own again.
  EXPECT_NO_THROW(DatabaseMaintenance::Open(db_, Path()));
}

TEST_F(CleanupTest, DamagedFileIsSalvagedAndTheOriginalKept) {
  Shell("ANALYZE");  // another tool's statistics: SQLite's own tables, not to be copied
  DamageInventoryPage();
  const QByteArray damaged = Checksum(Path());
  RecordedProgress progress;
  DatabaseFunctions::CleanupOptions options;
  options.progress = &progress;

  const auto summary =
      DatabaseFunctions::CleanDatabase(DatabaseFunctions::OpenOrCreateDatabase(Path()), options);

  EXPECT_EQ(progress.texts.size(), 3);
  EXPECT_EQ(Checksum(Path() + ".damaged"), damaged);
  EXPECT_EQ(Shell("PRAGMA integrity_check"), "ok");
  const int rows = Shell("SELECT count(*) FROM Inventory").toInt();
  // The summary tells the user what was kept.
  EXPECT_TRUE(summary.salvaged);
  EXPECT_EQ(summary.damagedFile, Path() + ".damaged");
  QStringList kept;
  for (const auto& table : summary.tables) kept << table.table + u'=' + QString::number(table.rows);
  EXPECT_EQ(kept.join(u' '), QStringLiteral("ColumnProperties=20 Settings=2 Inventory=%1 "
                                            "Loans=0 Customers=1")
                                 .arg(rows));
  EXPECT_LT(rows, kDvds);
  EXPECT_GT(rows, kDvds - 100) << "only the rows of the damaged page may be lost";
  // Rows on both sides of the damaged page are there, the other tables in full.
  EXPECT_EQ(Shell("SELECT count(*) FROM Inventory WHERE DVDTitle IN "
                  "('Title 00000 - Schindler''s List', 'Title 01999 - Schindler''s List')"),
            "2");
  EXPECT_EQ(Shell("SELECT Name, Phone FROM Customers"), "Ann O'Neil|555-0100");
  EXPECT_EQ(
      Shell("SELECT count(*) FROM ColumnProperties"),
      testsupport::Sqlite3Shell(Path() + ".damaged", "SELECT count(*) FROM ColumnProperties"));
  EXPECT_EQ(Shell("PRAGMA application_id").toLongLong(), DatabaseFunctions::kApplicationId);
  EXPECT_FALSE(QFileInfo::exists(Copy()));

  // A second damage later does not overwrite the first damaged file.
  DamageInventoryPage();
  DatabaseFunctions::CleanDatabase(DatabaseFunctions::OpenOrCreateDatabase(Path()));
  EXPECT_EQ(Checksum(Path() + ".damaged"), damaged);
  EXPECT_TRUE(QFileInfo::exists(Path() + ".damaged-2"));
}

TEST_F(CleanupTest, FullDiskChangesNothing) {
  DatabaseMaintenance::Close(db_);
  const QByteArray before = Checksum(Path());
  const qint64 size = QFileInfo(Path()).size();
  const auto result = childtest::RunInChild([&] {
    if (!childtest::LimitFileSize(rlim_t(size / 2))) return 10;
    const DatabaseHandle db = DatabaseFunctions::OpenOrCreateDatabase(Path());
    try {
      DatabaseFunctions::CleanDatabase(db);
    } catch (const DatabaseError&) {
      return db->IsOpen() ? 4 : 3;
    }
    return 0;
  });
  EXPECT_EQ(result.code, 3) << "the clean-up must fail with DatabaseError and leave it closed";
  EXPECT_EQ(Checksum(Path()), before);
  EXPECT_FALSE(QFileInfo::exists(Copy()));
  EXPECT_FALSE(QFileInfo::exists(Copy() + "-journal"));
}

// Another process with a connection to the file (a second copy, a tool) would write on into the
// file that a rename sets aside, and its writes would be lost: the clean-up leaves the file.
TEST_F(CleanupTest, FileOpenInAnotherProcessIsNotReplaced) {
  childtest::HoldingChild other([this] {
    sqlite3* db = nullptr;
    return sqlite3_open(Path().toUtf8().constData(), &db) == SQLITE_OK &&
           sqlite3_exec(db, "SELECT count(*) FROM Inventory", nullptr, nullptr, nullptr) ==
               SQLITE_OK;
  });
  ASSERT_TRUE(other.Held());
  const QByteArray before = Checksum(Path());
  const ino_t inode = Inode(Path());
  try {
    DatabaseFunctions::CleanDatabase(db_.Db());
    ADD_FAILURE() << "replaced a file open elsewhere";
  } catch (const DatabaseError& error) {
    EXPECT_TRUE(ErrorFunctions::IsBusy(error)) << error.what();
  }
  other.Kill();
  EXPECT_EQ(Inode(Path()), inode);
  EXPECT_EQ(Checksum(Path()), before);
  EXPECT_FALSE(QFileInfo::exists(Copy()));
}

TEST_F(CleanupTest, FileThatIsNotADatabaseIsRefusedUntouched) {
  const DatabaseHandle db = db_.Detach();
  db->Close();
  QFile file(Path());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  file.write(QByteArray(8192, '\x42'));
  file.close();
  const QByteArray before = Checksum(Path());
  EXPECT_THROW(DatabaseFunctions::CleanDatabase(db), DatabaseError);
  EXPECT_EQ(Checksum(Path()), before);
  EXPECT_FALSE(QFileInfo::exists(Copy()));
}

// A database kept on another drive through a link: made, used and cleaned where the link leads,
// and the link stays.
TEST(CleanupThroughALink, MakesAndCleansTheFileItLeadsTo) {
  QTemporaryDir programFolder;
  QTemporaryDir drive;
  const QString link = programFolder.filePath("ReelKeeper.mdb");
  const QString target = drive.filePath("Collection.mdb");
  ASSERT_EQ(::symlink(QFile::encodeName(target).constData(), QFile::encodeName(link).constData()),
            0);
  QFile(target).open(QIODevice::WriteOnly);  // empty: made anew

  Collection collection;
  DatabaseMaintenance::Open(collection, link);
  DatabaseFunctions::CleanDatabase(collection.Detach());

  EXPECT_EQ(QFileInfo(link).symLinkTarget(), target);
  EXPECT_EQ(testsupport::Sqlite3Shell(target, "SELECT count(*) FROM Inventory"), "0");
  EXPECT_EQ(QDir(drive.path()).entryList(QDir::Files), QStringList{"Collection.mdb"});
}

// Killed at any moment, a clean-up leaves a file at the database's name that opens with all its
// rows, and the next clean-up finishes the job.
struct KillCase {
  bool damaged;
  CleanupStep step;
};

std::string StepName(const ::testing::TestParamInfo<KillCase>& info) {
  static const char* const names[] = {"Started",      "LeftoverRemoved", "Checked",
                                      "CopyUnderWay", "CopyWritten",     "SourceClosed",
                                      "CopyChecked",  "CopyFlushed",     "DamagedKept",
                                      "Replaced",     "Finished"};
  return std::string(info.param.damaged ? "Damaged_" : "Healthy_") + names[int(info.param.step)];
}

class CleanupKilledTest : public CleanupTest, public ::testing::WithParamInterface<KillCase> {};

TEST_P(CleanupKilledTest, FileIsWholeAfterAKillAndTheNextCleanupFinishes) {
  if (GetParam().damaged) DamageInventoryPage();
  DatabaseMaintenance::Close(db_);
  const QByteArray original = Checksum(Path());
  const CleanupStep step = GetParam().step;
  const auto result = childtest::RunInChild([&] {
    const DatabaseHandle db = DatabaseFunctions::OpenOrCreateDatabase(Path());
    // A copy left by an earlier attempt (after the opening, which removes one), so that its
    // removal is a step of its own.
    LeaveCopy();
    DatabaseFunctions::SetCleanupStepHook([step](CleanupStep now) {
      if (now == step) ::raise(SIGKILL);
    });
    DatabaseFunctions::CleanDatabase(db);
    return 0;
  });
  ASSERT_EQ(result.signal, SIGKILL) << "the step was never reached (exit " << result.code << ")";

  if (GetParam().damaged) {
    // Either the damaged original or the salvaged copy, but a database all the same.
    EXPECT_EQ(Shell("SELECT count(*) FROM Customers"), "1");
  } else {
    EXPECT_EQ(Shell("PRAGMA integrity_check"), "ok");
    EXPECT_EQ(Shell(kContent), content_);
  }

  DatabaseFunctions::CleanDatabase(DatabaseFunctions::OpenOrCreateDatabase(Path()));
  EXPECT_EQ(Shell("PRAGMA integrity_check"), "ok");
  EXPECT_FALSE(QFileInfo::exists(Copy()));
  if (GetParam().damaged) {
    EXPECT_EQ(Checksum(Path() + ".damaged"), original);
    EXPECT_GT(Shell("SELECT count(*) FROM Inventory").toInt(), kDvds - 100);
  } else {
    EXPECT_EQ(Shell(kContent), content_);
  }
}

std::vector<KillCase> KillCases() {
  std::vector<KillCase> cases;
  for (int step = 0; step <= int(CleanupStep::Finished); ++step) {
    const auto s = CleanupStep(step);
    if (s != CleanupStep::DamagedKept) cases.push_back({false, s});
    cases.push_back({true, s});
  }
  return cases;
}

INSTANTIATE_TEST_SUITE_P(Steps, CleanupKilledTest, ::testing::ValuesIn(KillCases()), StepName);

}  // namespace
