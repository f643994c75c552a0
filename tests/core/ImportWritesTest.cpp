// An import's writing: whole or not at all, through the write rules, heard once; and the files the
// collection goes out as coming back as the same rows.
#include "exchange/ImportWrites.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringDecoder>

#include "TestSupport.h"
#include "app/ChangeNotice.h"
#include "exchange/CalendarFeed.h"
#include "exchange/CollectionExport.h"
#include "exchange/CsvFormat.h"
#include "exchange/LoanCalendar.h"
#include "inventory/InventoryWrites.h"
#include "phonebook/CustomerRecords.h"

namespace {

using ImportPlan::Duplicates;

struct Heard {
  Heard() {
    QObject::connect(&ChangeNotice::Instance(), &ChangeNotice::DVDsChanged, &context,
                     [this](const Changes::DVDs& change) {
                       titles << change.titles;
                       ++dvds;
                     });
    QObject::connect(&ChangeNotice::Instance(), &ChangeNotice::BorrowersChanged, &context,
                     [this](const QStringList&) { ++borrowers; });
  }
  QObject context;
  int dvds = 0, borrowers = 0;
  QStringList titles;
};

class ImportWritesTest : public ::testing::Test {
 protected:
  // Each row's columns joined by '|', an absent value as empty text.
  QStringList Rows(const QStringList& columns, const QString& table) const {
    QStringList cells;
    for (const QString& column : columns) cells << "IFNULL(" + column + ", '')";
    return db.Column("SELECT " + cells.join(" || '|' || ") + " FROM " + table + " ORDER BY " +
                     columns.first());
  }
  QStringList Dvds() const {
    return Rows({"DVDTitle", "Category", "Starring", "Rated", "Status", "Name", "Date", "DueDate",
                 "Description", "BarCode"},
                "Inventory");
  }
  QStringList Borrowers() const {
    return Rows(
        {"Name", "Address", "City", "State", "Zip", "Phone", "Fax", "Cell", "Notes", "Email"},
        "Customers");
  }
  static CsvFormat::Table Table(const QByteArray& bytes, const QString& encoding = {}) {
    const CsvFormat::ReadResult read = CsvFormat::Read(bytes, encoding);
    EXPECT_EQ(read.status, CsvFormat::ReadStatus::Read) << read.message.toStdString();
    return read.table;
  }
  static std::vector<ImportMapping::MappedRow> DvdRows(const CsvFormat::Table& table) {
    return ImportMapping::ApplyDvdMapping(table, ImportMapping::MapDvdColumns(table.header));
  }
  ImportWrites::Result ImportDvds(const QByteArray& csv, Duplicates duplicates) {
    const auto rows = DvdRows(Table(csv));
    return ImportWrites::WriteDvds(db, rows, ImportWrites::PlanDvds(db, rows, duplicates));
  }

  testsupport::TempDatabase db;
  testsupport::FixedClock clock{QDate(2024, 4, 10)};
};

TEST_F(ImportWritesTest, AnImportIsWrittenWholeThroughTheRulesAndHeardOnce) {
  db.AddDvd("Alien", "Horror", 0, {}, "2000-01-01", "2000-01-01", "5039036009296", "R");
  db.AddDvd("Heat", "Crime", 1, "Ann", "2024-04-01", "2024-04-08");
  const QByteArray csv =
      "Title,Genre,Rating,UPC,Plot\r\n"
      "  Brazil ,Comedy,15,,\"A clerk\r\ndreams.\"\r\n"
      "ALIEN,Sci-Fi,,,\r\n"             // already there: its blank rating keeps R
      "Alien 2,,,5-039036-009296,\r\n"  // Alien by its bar code: renamed when updating
      "heat,Thriller,,,\r\n"
      ",Drama,,,\r\n";  // unusable: no title, never written
  {
    Heard heard;
    const ImportWrites::Result skipped = ImportDvds(csv, Duplicates::Skip);
    EXPECT_EQ(skipped.status, ImportWrites::Status::Written);
    EXPECT_EQ(skipped.added, 1);
    EXPECT_EQ(skipped.skipped, 2);
    EXPECT_EQ(heard.dvds, 1);
    EXPECT_EQ(Dvds().size(), 3);
  }
  // "ALIEN" and "Alien 2" are one DVD of the collection: the dry run has refused the second.
  Heard heard;
  const ImportWrites::Result updated = ImportDvds(csv, Duplicates::Update);
  EXPECT_EQ(updated.status, ImportWrites::Status::Written);
  EXPECT_EQ(updated.updated, 3);  // Brazil is there now too
  EXPECT_EQ(heard.dvds, 1);
  EXPECT_EQ(Dvds(), QStringList({"Alien|Sci-Fi||R|0||2000-01-01|2000-01-01||5039036009296",
                                 "Brazil|Comedy||15|0||2000-01-01|2000-01-01|A clerk\r\ndreams.|",
                                 "Heat|Thriller|||1|Ann|2024-04-01|2024-04-08||"}));

  // Another program took a title after the dry run: the rule refuses that row, and nothing of
  // the file stays, not even the rows before it.
  const auto rows = DvdRows(Table("Title,Genre\r\nKes,Drama\r\nRan,War\r\n"));
  const ImportPlan::Plan plan = ImportWrites::PlanDvds(db, rows, Duplicates::Skip);
  db.AddDvd("ran");
  const QStringList before = Dvds();
  Heard refused;
  const ImportWrites::Result clash = ImportWrites::WriteDvds(db, rows, plan);
  EXPECT_EQ(clash.status, ImportWrites::Status::Refused);
  EXPECT_EQ(clash.message, "Line 3: another DVD is titled \"Ran\" now.");
  EXPECT_EQ(Dvds(), before);
  EXPECT_EQ(refused.dvds, 0);

  // Cancel, even at the last moment, writes nothing.
  const auto more = DvdRows(Table("Title\r\nM\r\nZ\r\n"));
  const ImportWrites::Result cancelled =
      ImportWrites::WriteDvds(db, more, ImportWrites::PlanDvds(db, more, Duplicates::Skip),
                              [](qsizetype done, qsizetype total) { return done < total; });
  EXPECT_EQ(cancelled.status, ImportWrites::Status::Cancelled);
  EXPECT_EQ(Dvds(), before);
  EXPECT_EQ(refused.dvds, 0);
}

// An update's rules are checked against what the collection holds when the writing starts.
TEST_F(ImportWritesTest, AnUpdateByBarCodeRenamesAndABarCodeTakenMeanwhileIsRefused) {
  db.AddDvd("Alien", "Horror", 0, {}, "2000-01-01", "2000-01-01", "5039036009296");
  db.AddDvd("Kes");
  db.AddDvd("Ran");
  EXPECT_EQ(ImportDvds("Title,UPC\r\nAlien (1979),5-039036-009296\r\n", Duplicates::Update).updated,
            1);
  EXPECT_EQ(db.Column("SELECT DVDTitle || '|' || Category FROM Inventory WHERE rowid = 1"),
            QStringList("Alien (1979)|Horror"));
  const auto rows = DvdRows(Table("Title,UPC\r\nkes,777\r\n"));
  const ImportPlan::Plan plan = ImportWrites::PlanDvds(db, rows, Duplicates::Update);
  db.Column("UPDATE Inventory SET BarCode = '777' WHERE DVDTitle = 'Ran'");
  const ImportWrites::Result clash = ImportWrites::WriteDvds(db, rows, plan);
  EXPECT_EQ(clash.status, ImportWrites::Status::Refused);
  EXPECT_EQ(clash.message, "Line 2: another DVD has the bar code \"777\".");
}

TEST_F(ImportWritesTest, BorrowersUpdateOnlyWhatTheFileGives) {
  db.AddCustomer("Ann O'Neil", "555-0100");
  const CsvFormat::Table table =
      Table("Name;City;Phone\r\nann o'neil;Cork;\r\nBob;Derry;555-0199\r\n");
  const auto rows =
      ImportMapping::ApplyBorrowerMapping(table, ImportMapping::MapBorrowerColumns(table.header));
  Heard heard;
  const ImportWrites::Result result = ImportWrites::WriteBorrowers(
      db, rows, ImportWrites::PlanBorrowers(db, rows, Duplicates::Update));
  EXPECT_EQ(result.status, ImportWrites::Status::Written);
  EXPECT_EQ(Borrowers(),
            QStringList({"Ann O'Neil||Cork|||555-0100||||", "Bob||Derry|||555-0199||||"}));
  EXPECT_EQ(heard.borrowers, 1);
}

// Exported and imported into an empty collection, the DVDs and the borrowers are the same rows;
// the DVD that is out is out again, with its loan in the history.
TEST_F(ImportWritesTest, ExportedRowsComeBackTheSame) {
  db.AddDvd("Schindler's List", "Drama", 1, "Ann O'Neil", "2024-04-01", "2024-04-15",
            "0-25192-12345-6", "R", "Liam Neeson, Ben Kingsley", "Line one\r\n\"Quoted\"; two");
  db.AddDvd("Amélie", "Comedy", 0, {}, "2023-01-02", "2023-01-09");
  db.AddCustomer("Ann O'Neil", "555-0100");
  CustomerFunctions::Customer bob;
  bob.name = "Bob";
  bob.Text(CustomerFunctions::Field::Notes) = "Owes me\r\ntwo films, \"soon\"";
  bob.Text(CustomerFunctions::Field::Address) = "1 Main St";
  bob.Text(CustomerFunctions::Field::Email) = "bob@example.org";
  CustomerFunctions::SaveCustomer(db, bob, CustomerFunctions::NameSpelling::Typed);
  const QStringList dvds = Dvds();
  const QStringList borrowers = Borrowers();
  const QByteArray dvdCsv = CollectionExport::DvdsCsv(CollectionExport::AllDvds(db));
  const QByteArray borrowerCsv = CollectionExport::BorrowersCsv(db);
  db.Db()->ExecuteRaw("DELETE FROM Inventory; DELETE FROM Customers; DELETE FROM Loans");

  ASSERT_EQ(ImportDvds(dvdCsv, Duplicates::Skip).status, ImportWrites::Status::Written);
  const CsvFormat::Table table = Table(borrowerCsv);
  const auto rows =
      ImportMapping::ApplyBorrowerMapping(table, ImportMapping::MapBorrowerColumns(table.header));
  ASSERT_EQ(ImportWrites::WriteBorrowers(db, rows,
                                         ImportWrites::PlanBorrowers(db, rows, Duplicates::Skip))
                .status,
            ImportWrites::Status::Written);
  EXPECT_EQ(Dvds(), dvds);
  EXPECT_EQ(Borrowers(), borrowers);
  EXPECT_EQ(db.Column("SELECT DVDTitle || '|' || Name || '|' || OutDate || '|' || DueDate FROM "
                      "Loans WHERE ReturnDate IS NULL"),
            QStringList({"Schindler's List|Ann O'Neil|2024-04-01|2024-04-15"}));
}

// What a spreadsheet in much of Europe saves: semicolons, Windows-1252 text.
TEST_F(ImportWritesTest, ASemicolonWindows1252SpreadsheetImports) {
  const QByteArray bytes = QStringEncoder(QStringEncoder::Latin1)
                               .encode(QStringLiteral("Titel;Genre;Rating;Cast\r\n"
                                                      "Amélie;Comédie;12;Audrey Tautou\r\n"
                                                      "Das Boot;Krieg;16;\"Prochnow; Grönemeyer\""
                                                      "\r\n"));
  ASSERT_EQ(CsvFormat::Read(bytes).status, CsvFormat::ReadStatus::NeedsEncoding);
  CsvFormat::Table table = Table(bytes, "Windows-1252");
  ImportMapping::Mapping mapping = ImportMapping::MapDvdColumns(table.header);
  mapping.Set(0, ImportMapping::DvdField::Title);  // "Titel" is the user's to map
  const auto rows = ImportMapping::ApplyDvdMapping(table, mapping);
  const auto result =
      ImportWrites::WriteDvds(db, rows, ImportWrites::PlanDvds(db, rows, Duplicates::Skip));
  EXPECT_EQ(result.added, 2);
  EXPECT_EQ(
      db.Column("SELECT DVDTitle || '|' || Category || '|' || Rated || '|' || Starring FROM "
                "Inventory ORDER BY DVDTitle"),
      QStringList({"Amélie|Comédie|12|Audrey Tautou", "Das Boot|Krieg|16|Prochnow; Grönemeyer"}));
}

// The kept calendar file follows a lend, a change and a return.
TEST_F(ImportWritesTest, TheKeptCalendarFollowsTheLoans) {
  testsupport::TempCurrentFolder folder;
  const QString path = db.Folder() + "/due.ics";
  db.AddDvd("Heat");
  CalendarFeed::SetKeptFile(db, path);
  CalendarFeed::Follow(db);
  CustomerFunctions::Customer ann;
  ann.name = "Ann";
  const auto read = [&path] {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  };
  ASSERT_EQ(InventoryFunctions::LendDVD(db, "Heat", ann, QDate(2024, 4, 10), QDate(2024, 4, 17)),
            InventoryFunctions::DVDOutcome::Saved);
  EXPECT_TRUE(read().contains("SUMMARY:Return Heat (Ann)"));
  EXPECT_TRUE(read().contains("DTSTART;VALUE=DATE:20240417"));
  ASSERT_EQ(InventoryFunctions::ChangeLoan(db, "Heat", ann, QDate(2024, 4, 10), QDate(2024, 4, 20)),
            InventoryFunctions::DVDOutcome::Saved);
  EXPECT_TRUE(read().contains("DTSTART;VALUE=DATE:20240420"));
  ASSERT_EQ(InventoryFunctions::ReturnDVD(db, "Heat"), InventoryFunctions::DVDOutcome::Saved);
  EXPECT_FALSE(read().contains("VEVENT"));
  CalendarFeed::SetKeptFile(db, {});
  EXPECT_EQ(folder.ErrorLog(), QString());
}

}  // namespace
