#include "app/DatabaseCheck.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

#include "TestSupport.h"
#include "data/DatabaseFunctions.h"

namespace {

enum class Damage { None, FreelistBeyondEnd, ReservedBytes, TrashedPage };

struct DamageCase {
  const char* name;
  Damage damage;
};

void PrintTo(const DamageCase& c, std::ostream* os) { *os << c.name; }

void Overwrite(const QString& path, qint64 offset, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  ASSERT_TRUE(file.seek(offset));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray BigEndian(quint32 value) {
  QByteArray bytes(4, '\0');
  qToBigEndian(value, bytes.data());
  return bytes;
}

class QuickCheckTest : public ::testing::TestWithParam<DamageCase> {};

// The kinds of damage that let the program start (the first two) are found as surely as the
// kind that shows at once.
TEST_P(QuickCheckTest, FindsDamageAndPassesASoundFile) {
  testsupport::TempDatabase db;
  for (int i = 0; i < 200; ++i) db.AddDvd(QStringLiteral("Title %1").arg(i), "Drama");
  DatabaseFunctions::CloseDatabase();
  const QString path = db.Path();
  switch (GetParam().damage) {
    case Damage::None:
      break;
    case Damage::FreelistBeyondEnd:
      // The header's first free page and free page count.
      Overwrite(path, 32, BigEndian(99999) + BigEndian(1));
      break;
    case Damage::ReservedBytes:
      Overwrite(path, 20, QByteArray(1, char(32)));
      break;
    case Damage::TrashedPage:
      Overwrite(path, 4096 * 3, QByteArray(4096, char(0xA5)));
      break;
  }
  const AppFunctions::QuickCheck::Result result = AppFunctions::QuickCheck(path).Run();
  EXPECT_TRUE(result.completed);
  EXPECT_EQ(result.faults.isEmpty(), GetParam().damage == Damage::None)
      << qPrintable(result.faults.join('|'));
}

INSTANTIATE_TEST_SUITE_P(Kinds, QuickCheckTest,
                         ::testing::Values(DamageCase{"Sound", Damage::None},
                                           DamageCase{"FreelistBeyondEnd",
                                                      Damage::FreelistBeyondEnd},
                                           DamageCase{"ReservedBytes", Damage::ReservedBytes},
                                           DamageCase{"TrashedPage", Damage::TrashedPage}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
