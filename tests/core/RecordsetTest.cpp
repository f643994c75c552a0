// Record sets: the open / test / fetch / walk / close idiom, writing back, literals, and texts
// that would break a naively built statement.
#include <gtest/gtest.h>

#include <QLocale>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/Recordset.h"

using testsupport::TempDatabase;

namespace {

const QString kAll =
    QStringLiteral("Select Inventory.* From Inventory Order By Inventory.DVDTitle");

TEST(Recordset, EmptinessAndExactCount) {
  TempDatabase db;
  EXPECT_TRUE(NoRecords(static_cast<Recordset*>(nullptr)));
  RecordsetPtr none = OpenRecords(kAll);
  EXPECT_TRUE(NoRecords(none));
  EXPECT_THROW(FetchAllRecords(none), DatabaseError);  // moving on an empty set is an error
  CloseRecords(none);
  EXPECT_FALSE(none);

  db.AddDvd(QStringLiteral("Casablanca"));
  db.AddDvd(QStringLiteral("Brazil"));
  db.AddDvd(QStringLiteral("Alien"));
  RecordsetPtr three = OpenRecords(kAll);
  EXPECT_FALSE(NoRecords(three));
  EXPECT_GE(three->RecordCount(), 1);
  three->MoveNext();
  FetchAllRecords(three);
  EXPECT_EQ(three->RecordCount(), 3);
  EXPECT_EQ(three->Text(QStringLiteral("DVDTitle")), QStringLiteral("Alien"));
  three->MoveLast();
  EXPECT_EQ(three->Text(QStringLiteral("dvdtitle")), QStringLiteral("Casablanca"));
  three->MoveNext();
  EXPECT_TRUE(three->Eof());
  EXPECT_THROW(three->MoveNext(), DatabaseError);
  EXPECT_THROW(three->Text(0), DatabaseError);
  EXPECT_THROW(three->Value(QStringLiteral("NoSuchField")), DatabaseError);
}

TEST(Recordset, TypedFieldsAndDefaults) {
  TempDatabase db;
  db.AddDvd(QStringLiteral("Lent"), QStringLiteral("Drama"), 1, QStringLiteral("Ann"),
            QStringLiteral("2026-11-20"), QStringLiteral("2026-12-01 18:30:00"));
  RecordsetPtr add = OpenRecords(QStringLiteral("Select Inventory.* From Inventory"));
  add->AddNew();
  add->SetValue(QStringLiteral("DVDTitle"), QStringLiteral("New"));
  add->Update();
  CloseRecords(add);

  RecordsetPtr records = OpenRecords(kAll);
  FetchAllRecords(records);
  EXPECT_EQ(records->Text(QStringLiteral("DVDTitle")), QStringLiteral("Lent"));
  EXPECT_EQ(records->Long(QStringLiteral("Status")), 1);
  EXPECT_EQ(records->Value(QStringLiteral("Status")).typeId(), QMetaType::Int);
  EXPECT_EQ(records->Date(QStringLiteral("Date")), QDateTime(QDate(2026, 11, 20), QTime(0, 0)));
  EXPECT_EQ(records->Date(QStringLiteral("DueDate")), QDateTime(QDate(2026, 12, 1), QTime(18, 30)));
  EXPECT_EQ(records->Value(QStringLiteral("DueDate")).typeId(), QMetaType::QDateTime);
  records->MoveNext();
  // A DVD added without status or dates takes the table's defaults.
  EXPECT_EQ(records->Text(QStringLiteral("DVDTitle")), QStringLiteral("New"));
  EXPECT_EQ(records->Long(QStringLiteral("Status")), 0);
  EXPECT_EQ(records->Date(QStringLiteral("Date")).date(), QDate(2000, 1, 1));
  EXPECT_EQ(records->Date(QStringLiteral("DueDate")).date(), QDate(2000, 1, 1));
  EXPECT_EQ(records->Text(QStringLiteral("BarCode")), QString());
  EXPECT_FALSE(records->IsNull(QStringLiteral("BarCode")));
}

TEST(Recordset, EditUpdateAndDeleteWriteBack) {
  TempDatabase db;
  db.AddDvd(QStringLiteral("Alien"));
  db.AddDvd(QStringLiteral("Brazil"));
  {
    RecordsetPtr records = OpenRecords(
        QStringLiteral("Select Inventory.* From Inventory Where Inventory.DVDTitle = ") +
        SqlText(QStringLiteral("brazil")));
    FetchAllRecords(records);
    records->Edit();
    records->SetValue(QStringLiteral("Status"), 1);
    records->SetValue(QStringLiteral("Name"), QStringLiteral("Ann"));
    records->SetValue(QStringLiteral("DueDate"), QDate(2026, 12, 24));
    records->Update();
    // The edited row reads back with its new values while it is current.
    EXPECT_EQ(records->Long(QStringLiteral("Status")), 1);
    EXPECT_EQ(records->Text(QStringLiteral("Name")), QStringLiteral("Ann"));
  }
  EXPECT_EQ(db.Column(QStringLiteral("SELECT Name || '|' || Status || '|' || DueDate FROM "
                                     "Inventory WHERE DVDTitle = 'Brazil'")),
            QStringList{QStringLiteral("Ann|1|2026-12-24")});
  {
    RecordsetPtr records = OpenRecords(
        QStringLiteral("Select Inventory.* From Inventory Where Inventory.DVDTitle = 'Alien'"));
    FetchAllRecords(records);
    records->Delete();
    EXPECT_THROW(records->Text(0), DatabaseError);
  }
  EXPECT_EQ(db.Column(QStringLiteral("SELECT DVDTitle FROM Inventory")),
            QStringList{QStringLiteral("Brazil")});
}

TEST(Recordset, GroupedResultsAreReadOnly) {
  TempDatabase db;
  db.AddDvd(QStringLiteral("Alien"), QStringLiteral("Horror"));
  RecordsetPtr records = OpenRecords(QStringLiteral(
      "Select Inventory.Category From Inventory Group By Category Order By Category"));
  FetchAllRecords(records);
  EXPECT_EQ(records->FieldCount(), 1);
  EXPECT_THROW(records->Edit(), DatabaseError);
  EXPECT_THROW(records->Delete(), DatabaseError);
}

TEST(SqlText, LiteralsOfEachKind) {
  EXPECT_EQ(SqlText(QString()), QStringLiteral("''"));
  EXPECT_EQ(SqlText(QStringLiteral("Casablanca")), QStringLiteral("'Casablanca'"));
  EXPECT_EQ(SqlText(QStringLiteral("O'Brien's")), QStringLiteral("'O''Brien''s'"));
  EXPECT_EQ(SqlText(QVariant()), QString());
  EXPECT_EQ(SqlText(QDate(2026, 12, 5)), QStringLiteral("#12-05-2026#"));
  EXPECT_EQ(SqlText(QDateTime(QDate(2026, 1, 2), QTime(0, 0))), QStringLiteral("#01-02-2026#"));
  EXPECT_EQ(SqlText(1), QStringLiteral("1"));
  EXPECT_EQ(SqlText(QVariant::fromValue<qint16>(-7)), QStringLiteral("-7"));
  EXPECT_EQ(SqlText(QVariant::fromValue<quint8>(5)), QStringLiteral("5"));
  // The decimal separator never follows the user's locale.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(SqlText(0.5), QStringLiteral("0.5"));
  EXPECT_EQ(SqlText(1.25f), QStringLiteral("1.25"));
  QLocale::setDefault(QLocale::c());

  EXPECT_EQ(NoNull(QVariant()), QVariant(QString()));
  EXPECT_EQ(NoNull(0), QVariant(0));
  EXPECT_EQ(NoNull(QString()), QVariant(QString()));
}

class HostileTextTest : public ::testing::TestWithParam<QString> {};

TEST_P(HostileTextTest, IsStoredFoundAndReadBackExactly) {
  TempDatabase db;
  db.AddDvd(QStringLiteral("Other"));
  const QString text = GetParam();
  RecordsetPtr add = OpenRecords(QStringLiteral("Select Inventory.* From Inventory"));
  add->AddNew();
  add->SetValue(QStringLiteral("DVDTitle"), text);
  add->SetValue(QStringLiteral("Description"), text);
  add->SetValue(QStringLiteral("BarCode"), text);
  add->Update();
  CloseRecords(add);

  RecordsetPtr found =
      OpenRecords(QStringLiteral("Select Inventory.* From Inventory Where Inventory.DVDTitle = ") +
                  SqlText(text));
  ASSERT_FALSE(NoRecords(found));
  FetchAllRecords(found);
  EXPECT_EQ(found->RecordCount(), 1);
  EXPECT_EQ(found->Text(QStringLiteral("DVDTitle")), text);
  EXPECT_EQ(found->Text(QStringLiteral("Description")), text);
  EXPECT_EQ(found->Text(QStringLiteral("BarCode")), text);
  CloseRecords(found);
  EXPECT_EQ(db.Column(QStringLiteral("SELECT count(*) FROM Inventory")),
            QStringList{QStringLiteral("2")});
}

INSTANTIATE_TEST_SUITE_P(
    Texts, HostileTextTest,
    ::testing::Values(QStringLiteral("Schindler's List"),
                      QStringLiteral("'; DROP TABLE Inventory; --"), QStringLiteral("x' Or '1'='1"),
                      QStringLiteral("100% *real* _x_ #1 [a] [!b] ?"),
                      QStringLiteral("#12-05-2026#"), QStringLiteral("\"quoted\" and \\back\\"),
                      QStringLiteral("日本語のタイトル"), QStringLiteral("Ελληνικά Ταινία"),
                      QStringLiteral("🎬 Film Night"), QStringLiteral("007"),
                      QStringLiteral("  leading and trailing  "), QStringLiteral("line1\r\nline2"),
                      QString(10000, QLatin1Char('x')) + QStringLiteral("'") +
                          QString(10, QLatin1Char('y'))));

}  // namespace
