#include "upkeep/DatabaseCheck.h"

#include <gtest/gtest.h>

#include <QFile>

#include "TestSupport.h"
#include "data/DatabaseFunctions.h"
#include "upkeep/DatabaseMaintenance.h"

namespace {

// Damage that lets the program start and open the file shows only at a later write; the check
// finds it, and passes a sound file.
TEST(QuickCheckTest, FindsDamageAndPassesASoundFile) {
  struct Damage {
    qint64 offset;
    QByteArray bytes;  // written over the file's header at offset; empty: a sound file
  };
  const Damage kinds[] = {
      {0, {}},
      // The first free page (and the count of free pages) beyond the file's end.
      {32, QByteArray::fromHex("0001869f00000001")},
      // 32 bytes of every page reserved, where the rows are.
      {20, QByteArray::fromHex("20")}};
  for (const Damage& damage : kinds) {
    SCOPED_TRACE(damage.bytes.toHex().constData());
    testsupport::TempDatabase db;
    for (int i = 0; i < 200; ++i) db.AddDvd(QStringLiteral("Title %1").arg(i), "Drama");
    DatabaseMaintenance::Close(db);
    if (!damage.bytes.isEmpty()) {
      QFile file(db.Path());
      ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(damage.offset));
      ASSERT_EQ(file.write(damage.bytes), damage.bytes.size());
    }
    const DatabaseMaintenance::QuickCheck::Result result =
        DatabaseMaintenance::QuickCheck(db.Path()).Run();
    EXPECT_TRUE(result.completed);
    EXPECT_EQ(result.faults.isEmpty(), damage.bytes.isEmpty())
        << qPrintable(result.faults.join('|'));
  }
}

}  // namespace
