// The Add/Edit dialog's choice lists are kept between openings; whatever is written, they must
// hold what reading them afresh would give.
#include "inventory/ChoiceLists.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

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

struct Write {
  const char* name;
  const char* edited;  // empty: an added DVD
  DVDRecord after;
};
void PrintTo(const Write& w, std::ostream* os) { *os << w.name; }

class ChoiceListsTest : public ::testing::TestWithParam<Write> {
 protected:
  void SetUp() override {
    AddDVD(Dvd("A", "Drama", "PG", "Ann"));
    AddDVD(Dvd("B", "drama", "R", "Bob"));
    AddDVD(Dvd("C", "Comedy", "", "Ann"));
  }
  testsupport::TempDatabase db;
};

TEST_P(ChoiceListsTest, HoldWhatReadingAfreshGives) {
  const DVDField fields[] = {DVDField::Category, DVDField::Rated, DVDField::Starring};
  for (const DVDField field : fields) ChoiceLists::Values(field);
  const Write& w = GetParam();
  const InventoryMark start = CurrentInventoryMark();
  const QString edited = QString::fromUtf8(w.edited);
  if (edited.isEmpty()) {
    AddDVD(w.after);
    ChoiceLists::TakeIn(start, nullptr, w.after);
  } else {
    const std::optional<DVDRecord> before = FindDVD(edited);
    ASSERT_TRUE(UpdateDVD(edited, w.after));
    ChoiceLists::TakeIn(start, &*before, w.after);
  }
  for (const DVDField field : fields) {
    EXPECT_EQ(ChoiceLists::Values(field), DistinctValues(field)) << int(field);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Writes, ChoiceListsTest,
    ::testing::Values(Write{"AddNewValues", "", Dvd("D", "Action", "NC-17", "Cy")},
                      Write{"AddStoredValues", "", Dvd("D", "Comedy", "PG", "Ann")},
                      Write{"AddAnotherSpelling", "", Dvd("D", "COMEDY", "pg", "ANN")},
                      Write{"EditAwayTheLastOfAValue", "C", Dvd("C", "Western", "", "Cy")},
                      Write{"EditAwayOneSpelling", "A", Dvd("A", "War", "", "")},
                      Write{"EditTheLetterCaseOnly", "C", Dvd("C", "comedy", "", "ann")}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ChoiceListsRereadTest, AnyOtherWriteMakesThemBeReadAgain) {
  testsupport::TempDatabase db;
  AddDVD(Dvd("A", "Drama", "", ""));
  EXPECT_EQ(ChoiceLists::Values(DVDField::Category), QStringList({"Drama"}));
  const InventoryMark start = CurrentInventoryMark();
  ReturnDVD("A");
  ChoiceLists::Untouched(start);
  db.AddDvd("B", "Action");
  EXPECT_EQ(ChoiceLists::Values(DVDField::Category), QStringList({"Action", "Drama"}));
}

}  // namespace
