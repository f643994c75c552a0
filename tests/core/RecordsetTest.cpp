// Record sets: the open / test / fetch / walk / close idiom, writing back, literals, and texts
// that would break a naively built statement.
#include <gtest/gtest.h>

#include <QLocale>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/Recordset.h"

using testsupport::TempDatabase;

namespace {

const QString kAll = "Select Inventory.* From Inventory Order By Inventory.DVDTitle";

TEST(Recordset, EmptinessAndExactCount) {
  TempDatabase db;
  EXPECT_TRUE(NoRecords(static_cast<Recordset*>(nullptr)));
  RecordsetPtr none = OpenRecords(kAll, db.Db());
  EXPECT_TRUE(NoRecords(none));
  EXPECT_THROW(FetchAllRecords(none), DatabaseError);  // moving on an empty set is an error
  CloseRecords(none);
  EXPECT_FALSE(none);

  db.AddDvd("Casablanca");
  db.AddDvd("Brazil");
  db.AddDvd("Alien");
  RecordsetPtr three = OpenRecords(kAll, db.Db());
  EXPECT_FALSE(NoRecords(three));
  EXPECT_GE(three->RecordCount(), 1);
  three->MoveNext();
  FetchAllRecords(three);
  EXPECT_EQ(three->RecordCount(), 3);
  EXPECT_EQ(three->Text("DVDTitle"), "Alien");
  three->MoveLast();
  EXPECT_EQ(three->Text("dvdtitle"), "Casablanca");
  three->MoveNext();
  EXPECT_TRUE(three->Eof());
  EXPECT_THROW(three->MoveNext(), DatabaseError);
  EXPECT_THROW(three->Text(0), DatabaseError);
  EXPECT_THROW(three->Value("NoSuchField"), DatabaseError);
}

// Numbers and dates come back in their own types, a date with its time of day when it has one.
// (The table's defaults for a new row are the DVD owner's to test.)
TEST(Recordset, TypedFields) {
  TempDatabase db;
  db.AddDvd("Lent", "Drama", 1, "Ann", "2026-11-20", "2026-12-01 18:30:00");
  RecordsetPtr records = OpenRecords(kAll, db.Db());
  EXPECT_EQ(records->Long("Status"), 1);
  EXPECT_EQ(records->Value("Status").typeId(), QMetaType::Int);
  EXPECT_EQ(records->Date("Date"), QDateTime(QDate(2026, 11, 20), QTime(0, 0)));
  EXPECT_EQ(records->Date("DueDate"), QDateTime(QDate(2026, 12, 1), QTime(18, 30)));
  EXPECT_EQ(records->Value("DueDate").typeId(), QMetaType::QDateTime);
}

TEST(Recordset, EditUpdateAndDeleteWriteBack) {
  TempDatabase db;
  db.AddDvd("Alien");
  db.AddDvd("Brazil");
  {
    RecordsetPtr records = OpenRecords(
        "Select Inventory.* From Inventory Where Inventory.DVDTitle = " + SqlText("brazil"),
        db.Db());
    FetchAllRecords(records);
    records->Edit();
    records->SetValue("Status", 1);
    records->SetValue("Name", "Ann");
    records->SetValue("DueDate", QDate(2026, 12, 24));
    records->Update();
    // The edited row reads back with its new values while it is current.
    EXPECT_EQ(records->Long("Status"), 1);
    EXPECT_EQ(records->Text("Name"), "Ann");
  }
  EXPECT_EQ(db.Column(QStringLiteral("SELECT Name || '|' || Status || '|' || DueDate FROM "
                                     "Inventory WHERE DVDTitle = 'Brazil'")),
            QStringList{"Ann|1|2026-12-24"});
  {
    RecordsetPtr records = OpenRecords(
        "Select Inventory.* From Inventory Where Inventory.DVDTitle = 'Alien'", db.Db());
    FetchAllRecords(records);
    records->Delete();
    EXPECT_THROW(records->Text(0), DatabaseError);
  }
  EXPECT_EQ(db.Column("SELECT DVDTitle FROM Inventory"), QStringList{"Brazil"});
}

TEST(Recordset, GroupedResultsAreReadOnly) {
  TempDatabase db;
  db.AddDvd("Alien", "Horror");
  RecordsetPtr records = OpenRecords(
      QStringLiteral(
          "Select Inventory.Category From Inventory Group By Category Order By Category"),
      db.Db());
  FetchAllRecords(records);
  EXPECT_EQ(records->FieldCount(), 1);
  EXPECT_THROW(records->Edit(), DatabaseError);
  EXPECT_THROW(records->Delete(), DatabaseError);
}

TEST(SqlText, LiteralsOfEachKind) {
  // The decimal separator never follows the user's locale.
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  EXPECT_EQ(QStringList({SqlText(QString()), SqlText("Casablanca"), SqlText("O'Brien's"),
                         SqlText(QVariant()), SqlText(QDate(2026, 12, 5)),
                         SqlText(QDateTime(QDate(2026, 1, 2), QTime(0, 0))), SqlText(1),
                         SqlText(QVariant::fromValue<qint16>(-7)),
                         SqlText(QVariant::fromValue<quint8>(5)), SqlText(0.5), SqlText(1.25f)}),
            QStringList({"''", "'Casablanca'", "'O''Brien''s'", "", "#12-05-2026#", "#01-02-2026#",
                         "1", "-7", "5", "0.5", "1.25"}));
  QLocale::setDefault(QLocale::c());
  EXPECT_EQ(QVariantList({NoNull(QVariant()), NoNull(0), NoNull(QString())}),
            QVariantList({QString(), 0, QString()}));
}

// Texts that would break a naively built statement are stored, found and read back exactly.
TEST(Recordset, HostileTextIsStoredFoundAndReadBackExactly) {
  TempDatabase db;
  for (const QString& text :
       {QString("Schindler's List"), QString("'; DROP TABLE Inventory; --"),
        QString("x' Or '1'='1"), QString("100% *real* _x_ #1 [a] [!b] ?"), QString("#12-05-2026#"),
        QString("\"quoted\" and \\back\\"), QString("日本語のタイトル"), QString("Ελληνικά Ταινία"),
        QString("🎬 Film Night"), QString("007"), QString("  leading and trailing  "),
        QString("line1\r\nline2"), QString(10000, u'x') + "'" + QString(10, u'y')}) {
    SCOPED_TRACE(text.left(40).toStdString());
    db.Db()->Execute("DELETE FROM Inventory");
    db.AddDvd("Other");
    RecordsetPtr add = OpenRecords("Select Inventory.* From Inventory", db.Db());
    add->AddNew();
    for (const char* field : {"DVDTitle", "Description", "BarCode"}) add->SetValue(field, text);
    add->Update();
    CloseRecords(add);

    RecordsetPtr found = OpenRecords(
        "Select Inventory.* From Inventory Where Inventory.DVDTitle = " + SqlText(text), db.Db());
    ASSERT_FALSE(NoRecords(found));
    FetchAllRecords(found);
    EXPECT_EQ(found->RecordCount(), 1);
    EXPECT_EQ(
        QStringList({found->Text("DVDTitle"), found->Text("Description"), found->Text("BarCode")}),
        QStringList({text, text, text}));
    CloseRecords(found);
    EXPECT_EQ(db.Column("SELECT count(*) FROM Inventory"), QStringList{"2"});
  }
}

}  // namespace
