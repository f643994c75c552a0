// The dialogs' choice lists are read ahead on a worker thread and handed over through the event
// loop; once they are in, a dialog opening runs no grouping on the program's own connection.
#include <sqlite3.h>

#include <gtest/gtest.h>

#include <QTest>
#include <cstring>

#include "TestSupport.h"
#include "inventory/ChoiceLists.h"
#include "inventory/InventoryRecords.h"

namespace {

using InventoryFunctions::DVDField;

int CountGroupings(unsigned, void* count, void*, void* sql) {
  if (std::strstr(static_cast<const char*>(sql), "Group By")) ++*static_cast<int*>(count);
  return 0;
}

TEST(ChoiceListsReadAheadTest, ListsComeFromTheWorkerAndMatchAFreshRead) {
  testsupport::TempDatabase db;
  db.AddDvd("Alien", "Horror", 0, {}, "2000-01-01", "2000-01-01", {}, "R", "Sigourney");
  db.AddDvd("aliens", "horror", 0, {}, "2000-01-01", "2000-01-01", {}, "R", "Sigourney");
  db.AddDvd("Babe", "Family", 0, {}, "2000-01-01", "2000-01-01", {}, "G", "James");

  ChoiceLists::ReadAhead(db);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ChoiceLists::Ready(db); }, 10000));

  const DVDField fields[] = {DVDField::Category, DVDField::Rated, DVDField::Starring,
                             DVDField::Title};
  int groupings = 0;
  sqlite3_trace_v2(db.Db()->Handle(), SQLITE_TRACE_STMT, &CountGroupings, &groupings);
  std::vector<QStringList> kept;
  for (const DVDField field : fields) kept.push_back(ChoiceLists::Values(db, field));
  sqlite3_trace_v2(db.Db()->Handle(), 0, nullptr, nullptr);
  EXPECT_EQ(groupings, 0);
  for (size_t i = 0; i < kept.size(); ++i) {
    EXPECT_EQ(kept[i], InventoryFunctions::DistinctValues(db, fields[i])) << i;
  }

  // A write made while the lists are kept makes them stale: they are read again, never shown.
  db.AddDvd("Cars", "Animation");
  EXPECT_FALSE(ChoiceLists::Ready(db));
  EXPECT_TRUE(ChoiceLists::Values(db, DVDField::Category).contains("Animation"));
}

}  // namespace
