// The settings store and the error report it falls back on.
#include <gtest/gtest.h>

#include <QDataStream>
#include <QLocale>
#include <limits>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "settings/SettingsManager.h"
#include "upkeep/DatabaseMaintenance.h"

using namespace SettingsManager;
using testsupport::TempDatabase;

namespace {

// A fresh database, and a current folder of its own where "ErrorLog" is written.
class SettingsTest : public ::testing::Test {
 protected:
  void TearDown() override { QLocale::setDefault(QLocale::c()); }

  testsupport::TempCurrentFolder folder;
  TempDatabase db;
};

// Every value is read back equal to the last bit (a NaN is a NaN of the same sign, -0 is not 0)
// and of its own type, and is stored with its own kind code; whole numbers keep every digit above
// 2^53.
TEST_F(SettingsTest, EachKindRoundTripsInItsOwnType) {
  const auto bits = [](const QVariant& value) {
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << value;
    return bytes.toHex();
  };
  using Float = std::numeric_limits<float>;
  using Double = std::numeric_limits<double>;
  using Kind = std::pair<QVariant, int>;
  for (const auto& [value, kind] :
       {Kind(QVariant::fromValue<qint16>(-3), vbInteger), Kind(qint32(2000000000), vbLong),
        Kind(0.1f, vbSingle), Kind(0.5, vbDouble), Kind(QDate(2026, 12, 6), vbDate),
        Kind(QDateTime(QDate(2026, 12, 6), QTime(21, 5, 9)), vbDate),
        Kind("It's \"here\"", vbString), Kind(true, vbBoolean),
        Kind(QVariant::fromValue<quint8>(200), vbByte), Kind(Float::max(), vbSingle),
        Kind(Float::lowest(), vbSingle), Kind(-Float::quiet_NaN(), vbSingle),
        Kind(Float::infinity(), vbSingle), Kind(-Double::quiet_NaN(), vbDouble),
        Kind(-0.0, vbDouble), Kind(Double::denorm_min(), vbDouble),
        Kind(qint64(9007199254740993), vbLongLong),
        Kind(std::numeric_limits<qint64>::min(), vbLongLong),
        Kind(std::numeric_limits<quint64>::max(), vbULongLong)}) {
    SCOPED_TRACE(value.typeName() + (' ' + value.toString().toStdString()));
    WriteSetting(db, "Key", value);
    EXPECT_EQ(bits(ReadSetting(db, "Key", "default")), bits(value));
    EXPECT_EQ(db.Column("SELECT SettingType FROM Settings WHERE SettingName = 'Key'"),
              QStringList{QString::number(kind)});
  }
}

TEST_F(SettingsTest, MissingNameGivesTheCallersDefault) {
  EXPECT_EQ(ReadSetting(db, "Never", 1.0), QVariant(1.0));
  EXPECT_EQ(ReadSetting(db, "Never", QVariant::fromValue<qint16>(7)).typeId(), QMetaType::Short);
  WriteSetting(db, "Ratio", 0.5);
  EXPECT_EQ(ReadSetting(db, "Ratio", 1), QVariant(0.5));
}

TEST_F(SettingsTest, SecondWriteReplacesTypeAndValueInOneRow) {
  WriteSetting(db, "Key", 42);
  WriteSetting(db, "Key", "forty-two");
  EXPECT_EQ(db.Column("SELECT SettingType || '=' || SettingValue FROM Settings"),
            QStringList{"8=forty-two"});
  // Names compare without regard to letter case, as all text in the program does.
  WriteSetting(db, "KEY", true);
  EXPECT_EQ(db.Column("SELECT count(*) FROM Settings"), QStringList{"1"});
  EXPECT_EQ(ReadSetting(db, "key", false), QVariant(true));
  // A quote in a name neither breaks nor alters the lookup.
  WriteSetting(db, "O'Brien's list", 3);
  EXPECT_EQ(ReadSetting(db, "O'Brien's list", 0), QVariant(3));
}

TEST_F(SettingsTest, WritingNullIsRefused) {
  EXPECT_THROW(WriteSetting(db, "Key", QVariant()), DatabaseError);
}

TEST_F(SettingsTest, NumbersAndDatesDoNotDependOnTheLocale) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  WriteSetting(db, "Ratio", 0.5);
  WriteSetting(db, "Width", 1234.5f);
  WriteSetting(db, "When", QDate(2026, 3, 1));
  EXPECT_EQ(db.Column("SELECT SettingValue FROM Settings ORDER BY rowid"),
            (QStringList{"0.5", "1234.5", "2026-03-01"}));
  // Read back in another locale, as a log-on start often has.
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(ReadSetting(db, "Ratio", 0.0), QVariant(0.5));
  EXPECT_EQ(ReadSetting(db, "Width", 0.0f), QVariant(1234.5f));
  EXPECT_EQ(ReadSetting(db, "When", QDate()), QVariant(QDate(2026, 3, 1)));
  EXPECT_TRUE(folder.ErrorLog().isEmpty());
}

TEST_F(SettingsTest, UnconvertibleStoredValueGivesDefaultAndIsLogged) {
  db.Db()->Execute(
      QStringLiteral("INSERT INTO Settings VALUES ('Ratio', 5, '0,5'), ('Left', 4, 'wide'), "
                     "('Flag', 11, 'maybe')"));
  EXPECT_EQ(ReadSetting(db, "Ratio", 0.5), QVariant(0.5));
  EXPECT_EQ(ReadSetting(db, "Left", 100.0f), QVariant(100.0f));
  EXPECT_EQ(ReadSetting(db, "Flag", false), QVariant(false));
  const QString log = folder.ErrorLog();
  EXPECT_TRUE(log.contains("\"Ratio\" holds \"0,5\"")) << qPrintable(log);
  EXPECT_TRUE(log.contains("\"Flag\" holds \"maybe\""));
}

TEST(ConvertSetting, FollowsTheKindCodes) {
  // "True" is read back in every Boolean's round trip above.
  bool ok = false;
  EXPECT_EQ(ConvertSetting("False", vbBoolean), QVariant(false));
  EXPECT_EQ(ConvertSetting("anything", vbNull, &ok), QVariant());
  EXPECT_TRUE(ok);
  for (int kind : {0, 8, 9, 10, 13, 8192}) {
    EXPECT_EQ(ConvertSetting("text", kind), QVariant("text")) << kind;
  }
  EXPECT_EQ(ConvertSetting("12.5", vbCurrency), QVariant(12.5));
  EXPECT_EQ(ConvertSetting("40000", vbInteger, &ok), QVariant());
  EXPECT_FALSE(ok);  // out of range for 16 bits
  EXPECT_EQ(ConvertSetting("256", vbByte, &ok), QVariant());
  EXPECT_FALSE(ok);
}

TEST_F(SettingsTest, WithoutADatabaseTheFailureIsReportedAndTheDefaultGiven) {
  DatabaseMaintenance::Close(db);
  testsupport::ScriptedMessageBox box;
  box.Answer(seams::MsgAnswer::Yes);
  EXPECT_EQ(ReadSetting(db, "Anything", 5), QVariant(5));
  ASSERT_EQ(box.Shown().size(), 1u);
  EXPECT_TRUE(box.Shown()[0].text.startsWith("A function failed.\r\n\r\nError Number: "));
  EXPECT_TRUE(folder.ErrorLog().startsWith("A function failed."));
}

}  // namespace
