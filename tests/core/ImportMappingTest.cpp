#include "exchange/ImportMapping.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using ImportMapping::BorrowerField;
using ImportMapping::DvdField;

std::vector<DvdField> DvdFields(const ImportMapping::Mapping& mapping) {
  std::vector<DvdField> fields;
  for (qsizetype i = 0; i < qsizetype(mapping.fieldOfColumn.size()); ++i) {
    fields.push_back(mapping.FieldOf<DvdField>(i));
  }
  return fields;
}

TEST(ImportMappingTest, PlainHeaderNamesMapWhateverTheirSpelling) {
  const auto mapping = ImportMapping::MapDvdColumns(
      {"Name", "GENRE", "Rated", "Actors", "EAN", "Plot", "Year", "Lent to"});
  EXPECT_EQ(mapping.program, QString());
  EXPECT_EQ(
      DvdFields(mapping),
      (std::vector{DvdField::Title, DvdField::Category, DvdField::Rated, DvdField::Starring,
                   DvdField::BarCode, DvdField::Description, DvdField::None, DvdField::Name}));
}

// "Name" is the borrower in the program's own export, and the title only where no other column
// is; a personal star rating in another program's export is not an age rating.
TEST(ImportMappingTest, KnownExportsAreRecognisedByTheirColumns) {
  const auto own =
      ImportMapping::MapDvdColumns({"DVDTitle", "Category", "Starring", "Rated", "Status", "Name",
                                    "Date", "DueDate", "Description", "BarCode"});
  EXPECT_EQ(own.program, "ReelKeeper");
  EXPECT_EQ(own.FieldOf<DvdField>(0), DvdField::Title);
  EXPECT_EQ(own.FieldOf<DvdField>(5), DvdField::Name);
  EXPECT_EQ(own.FieldOf<DvdField>(7), DvdField::DueDate);

  const auto tellico = ImportMapping::MapDvdColumns(
      {"Title", "Medium", "Production Year", "Certification", "Genre", "Cast", "Director",
       "Plot Summary", "Personal Rating", "Comments"});
  EXPECT_EQ(tellico.program, "Tellico");
  EXPECT_EQ(DvdFields(tellico),
            (std::vector{DvdField::Title, DvdField::None, DvdField::None, DvdField::Rated,
                         DvdField::Category, DvdField::Starring, DvdField::None,
                         DvdField::Description, DvdField::None, DvdField::Description}));

  const auto libib = ImportMapping::MapDvdColumns(
      {"item_type", "title", "creators", "ean_isbn13", "upc_isbn10", "description", "rating"});
  EXPECT_EQ(libib.program, "Libib");
  EXPECT_EQ(libib.FieldOf<DvdField>(6), DvdField::None);
  EXPECT_EQ(ImportMapping::KnownDvdPrograms(), (QStringList{"Tellico", "Libib"}));
}

// Two columns for one field: the first that holds something wins, row by row; the user's
// choice for a column replaces the automatic one.
TEST(ImportMappingTest, RowsTakeTheFirstFilledColumnAndTheUsersChoice) {
  CsvFormat::Table table;
  table.header = {"Title", "UPC", "EAN", "Shelf"};
  table.rows = {{2, {"Alien", "", "5039036009296", "A3"}},
                {3, {"Heat", "024543008422", "5039036006", "B1"}}};
  ImportMapping::Mapping mapping = ImportMapping::MapDvdColumns(table.header);
  mapping.Set(3, DvdField::Category);
  const auto rows = ImportMapping::ApplyDvdMapping(table, mapping);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].line, 2);
  EXPECT_EQ(rows[0].Value(DvdField::BarCode), "5039036009296");
  EXPECT_EQ(rows[0].Value(DvdField::Category), "A3");
  EXPECT_EQ(rows[1].Value(DvdField::BarCode), "024543008422");
}

// Address-book exports keep first and last name apart.
TEST(ImportMappingTest, BorrowerColumnsJoinGivenAndFamilyName) {
  CsvFormat::Table table;
  table.header = {"First Name",   "Last Name",   "E-mail Address",
                  "Mobile Phone", "Home Street", "Home Postal Code"};
  table.rows = {{2, {"Ann", "O'Neil", "ann@example.org", "555-0199", "1 Main St", "12345"}}};
  const auto rows =
      ImportMapping::ApplyBorrowerMapping(table, ImportMapping::MapBorrowerColumns(table.header));
  EXPECT_EQ(rows[0].Value(BorrowerField::Name), "Ann O'Neil");
  EXPECT_EQ(rows[0].Value(BorrowerField::Email), "ann@example.org");
  EXPECT_EQ(rows[0].Value(BorrowerField::Cell), "555-0199");
  EXPECT_EQ(rows[0].Value(BorrowerField::Address), "1 Main St");
  EXPECT_EQ(rows[0].Value(BorrowerField::Zip), "12345");
}

}  // namespace
