// The Add/Edit and search dialogs' choice lists are kept between openings; whatever is written,
// they must hold what reading them afresh would give.
#include "inventory/ChoiceLists.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "inventory/InventoryWrites.h"

using namespace InventoryFunctions;

namespace {

DVDRecord Dvd(const char* title, const char* category, const char* rated, const char* starring) {
  DVDRecord dvd;
  dvd.title = QString::fromUtf8(title);
  dvd.category = QString::fromUtf8(category);
  dvd.rated = QString::fromUtf8(rated);
  dvd.starring = QString::fromUtf8(starring);
  return dvd;
}

// After an added DVD (no title edited) or an edit, with the lists read before it: the lists take
// the write in from the change notice.
TEST(ChoiceListsTest, HoldWhatReadingAfreshGivesAfterEveryWrite) {
  const std::pair<const char*, DVDRecord> writes[] = {
      {"", Dvd("D", "Action", "NC-17", "Cy")},   // new values
      {"", Dvd("D", "Comedy", "PG", "Ann")},     // stored values
      {"", Dvd("D", "COMEDY", "pg", "ANN")},     // another spelling
      {"C", Dvd("C", "Western", "", "Cy")},      // the last of a value edited away
      {"A", Dvd("A", "War", "", "")},            // one spelling edited away
      {"C", Dvd("C", "comedy", "", "ann")},      // only the letter case edited
      {"B", Dvd("Zorro", "drama", "R", "Bob")},  // a new title
      {"C", Dvd("c", "Comedy", "", "Ann")}};     // only the title's letter case edited
  const DVDField fields[] = {DVDField::Category, DVDField::Rated, DVDField::Starring,
                             DVDField::Title};
  for (const auto& [edited, after] : writes) {
    SCOPED_TRACE((after.title + u' ' + after.category).toStdString());
    testsupport::TempDatabase db;
    AddDVD(db, Dvd("A", "Drama", "PG", "Ann"));
    AddDVD(db, Dvd("B", "drama", "R", "Bob"));
    AddDVD(db, Dvd("C", "Comedy", "", "Ann"));
    for (const DVDField field : fields) ChoiceLists::Values(db, field);
    ASSERT_EQ(*edited == 0 ? AddDVD(db, after) : UpdateDVD(db, edited, after), DVDOutcome::Saved);
    // Taken in from the change notice, not read again.
    EXPECT_TRUE(ChoiceLists::Ready(db));
    for (const DVDField field : fields) {
      EXPECT_EQ(ChoiceLists::Values(db, field), DistinctValues(db, field)) << int(field);
    }
  }
}

TEST(ChoiceListsRereadTest, AnyOtherWriteMakesThemBeReadAgain) {
  testsupport::TempDatabase db;
  AddDVD(db, Dvd("A", "Drama", "", ""));
  EXPECT_EQ(ChoiceLists::Values(db, DVDField::Category), QStringList({"Drama"}));
  ReturnDVD(db, "A");
  db.AddDvd("B", "Action");
  EXPECT_EQ(ChoiceLists::Values(db, DVDField::Category), QStringList({"Action", "Drama"}));
}

}  // namespace
