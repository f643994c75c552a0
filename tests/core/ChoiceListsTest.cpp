// The Add/Edit and search dialogs read their choice lists from an index a page at a time; whatever
// is written, and by whichever program, the pages must add up to what the grouping statement gives,
// each group shown in the spelling the statement picks.
#include "inventory/ChoiceLists.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "inventory/InventoryRecords.h"
#include "inventory/InventoryWrites.h"

using namespace InventoryFunctions;

namespace {

const DVDField kFields[] = {DVDField::Category, DVDField::Rated, DVDField::Starring,
                            DVDField::Title};

// The whole list, read two values at a time, so that every page boundary is crossed.
QStringList Paged(DVDField field) {
  QStringList all;
  QByteArray after;
  for (;;) {
    const std::vector<ChoiceLists::Choice> page = ChoiceLists::ValuesAfter(field, after, 2);
    for (const ChoiceLists::Choice& choice : page) all << choice.value;
    if (page.size() < 2) return all;
    after = page.back().key;
  }
}

DVDRecord Dvd(const char* title, const char* category, const char* rated, const char* starring) {
  DVDRecord dvd;
  dvd.title = QString::fromUtf8(title);
  dvd.category = QString::fromUtf8(category);
  dvd.rated = QString::fromUtf8(rated);
  dvd.starring = QString::fromUtf8(starring);
  return dvd;
}

TEST(ChoiceListsTest, PagesAddUpToTheGroupingAfterEveryKindOfWrite) {
  testsupport::TempDatabase db;
  AddDVD(Dvd("Alien", "horror", "R", "Sigourney"));
  AddDVD(Dvd("Babe", "Family", "G", "James"));
  AddDVD(Dvd("Cars", "HORROR", "", "sigourney"));
  AddDVD(Dvd("École", "Drama", "PG", ""));
  const std::pair<const char*, std::function<void()>> writes[] = {
      {"as read", [] {}},
      {"added", [] { AddDVD(Dvd("Dune", "Horror", "pg", "Zendaya")); }},
      {"first spelling edited",
       [] { UpdateDVD("Alien", Dvd("Alien", "Comedy", "R", "SIGOURNEY")); }},
      {"first of a group deleted", [] { DeleteDVD("Babe"); }},
      {"another program's writes",
       [&] {
         testsupport::Sqlite3Shell(
             db.Path(),
             "UPDATE Inventory SET Category = 'horror', Starring = 'Ann' WHERE DVDTitle = 'Cars';"
             "INSERT INTO Inventory (DVDTitle, Category, Rated) VALUES ('eve', 'drama', 'pg');"
             "DELETE FROM Inventory WHERE DVDTitle = 'Dune';");
       }},
      {"rebuilt", [&] { ChoiceLists::RebuildChoiceKeys(db.Db()); }}};
  for (const auto& [what, write] : writes) {
    SCOPED_TRACE(what);
    write();
    for (const DVDField field : kFields)
      EXPECT_EQ(Paged(field), DistinctValues(field)) << int(field);
  }
}

// What the dialogs' type-ahead completes to: the first value in the list's order whose first
// letters are the typed ones, letter case ignored but accents kept, whatever part of the list has
// been read.
TEST(ChoiceListsTest, FirstStartingWithKeepsTheListsOrderAndAccents) {
  testsupport::TempDatabase db;
  for (const char* starring : {"éa", "Eb", "ec", "Fa"}) AddDVD(Dvd(starring, "", "", starring));
  EXPECT_EQ(ChoiceLists::FirstStartingWith(DVDField::Starring, "E"), "Eb");
  EXPECT_EQ(ChoiceLists::FirstStartingWith(DVDField::Starring, "É"), "éa");
  EXPECT_EQ(ChoiceLists::FirstStartingWith(DVDField::Starring, "eC"), "ec");
  EXPECT_EQ(ChoiceLists::FirstStartingWith(DVDField::Title, "g"), std::nullopt);
}

}  // namespace
