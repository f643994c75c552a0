// An older file (or one whose derived tables another program dropped) has every DVD's rows worked
// out on opening, a slice at a time with progress; stopped part-way, the file is as it was and
// the next opening does the work again.
#include "inventory/DerivedRows.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "data/Database.h"
#include "upkeep/DatabaseMaintenance.h"

namespace {

struct Recorder final : DerivedRows::RebuildProgress {
  void Begin(qint64 dvds) override { begun.push_back(dvds); }
  bool Advance(qint64 done, qint64 total) override {
    last = {done, total};
    return ++advances != stopAt;
  }
  int stopAt = 0;
  int advances = 0;
  std::vector<qint64> begun;
  std::pair<qint64, qint64> last;
};

TEST(DerivedRowsTest, OpeningAnOlderFileWorksEveryRowOutAndAStopLeavesItAsItWas) {
  testsupport::TempDatabase db;
  // More DVDs than one slice holds.
  testsupport::Sqlite3Shell(
      db.Path(),
      "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20003) "
      "INSERT INTO Inventory (DVDTitle, Category) SELECT 'T' || i, 'C' || (i % 7) FROM n;"
      "DROP TABLE ListOrder; DROP TABLE ChoiceKeys;");
  DatabaseMaintenance::Close(db);
  const QByteArray before = testsupport::Checksum(db.Path());

  Recorder stopping;
  stopping.stopAt = 3;  // part-way through the rows
  DerivedRows::ShowRebuildsIn(&stopping);
  EXPECT_THROW(DatabaseMaintenance::Open(db, db.Path()), DerivedRows::Stopped);
  EXPECT_EQ(testsupport::Checksum(db.Path()), before);

  Recorder done;
  DerivedRows::ShowRebuildsIn(&done);
  DatabaseMaintenance::Open(db, db.Path());
  DerivedRows::ShowRebuildsIn(nullptr);
  // The list's order, the choice keys, and the title index its triggers noted wholesale.
  EXPECT_EQ(done.begun, (std::vector<qint64>{20003, 20003, 20003}));
  EXPECT_EQ(done.last.first, done.last.second);
  for (const char* table : {"ListOrder DVD", "ChoiceKeys DVD", "TitleTrigrams rowid"}) {
    const QStringList named = QString::fromLatin1(table).split(u' ');
    EXPECT_EQ(db.Db()->QueryNumber(QStringLiteral("SELECT count(*) FROM %1 JOIN Inventory ON "
                                                  "Inventory.rowid = %1.%2")
                                       .arg(named[0], named[1])),
              20003)
        << table;
  }
}

}  // namespace
