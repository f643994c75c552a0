#include "app/DatabaseCheck.h"

#include <gtest/gtest.h>

#include <QFile>

#include "TestSupport.h"
#include "data/DatabaseFunctions.h"

namespace {

struct DamageCase {
  const char* name;
  qint64 offset;
  QByteArray bytes;  // written over the file's header at offset; empty: a sound file
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

class QuickCheckTest : public ::testing::TestWithParam<DamageCase> {};

// Damage that lets the program start and open the file shows only at a later write; the check
// finds it.
TEST_P(QuickCheckTest, FindsDamageAndPassesASoundFile) {
  testsupport::TempDatabase db;
  for (int i = 0; i < 200; ++i) db.AddDvd(QStringLiteral("Title %1").arg(i), "Drama");
  DatabaseFunctions::CloseDatabase();
  if (!GetParam().bytes.isEmpty()) {
    QFile file(db.Path());
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.seek(GetParam().offset));
    ASSERT_EQ(file.write(GetParam().bytes), GetParam().bytes.size());
  }
  const AppFunctions::QuickCheck::Result result = AppFunctions::QuickCheck(db.Path()).Run();
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.faults.isEmpty(), GetParam().bytes.isEmpty())
      << qPrintable(result.faults.join('|'));
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, QuickCheckTest,
    ::testing::Values(DamageCase{"Sound", 0, {}},
                      // The first free page (and the count of free pages) beyond the file's end.
                      DamageCase{"FreelistBeyondEnd", 32, QByteArray::fromHex("0001869f00000001")},
                      // 32 bytes of every page reserved, where the rows are.
                      DamageCase{"ReservedBytes", 20, QByteArray::fromHex("20")}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
