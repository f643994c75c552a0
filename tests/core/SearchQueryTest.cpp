// The search's statements, text for text, and what they find in a real file.
#include "inventory/SearchQuery.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace InventoryFunctions;

namespace {

struct StatementCase {
  const char* name;
  SearchCriteria criteria;
  const char* sql;
};

void PrintTo(const StatementCase& c, std::ostream* out) { *out << c.name; }

SearchCriteria Criteria(const char* title, const char* category, const char* rated,
                        const char* starring, const char* description, bool exact, bool all) {
  SearchCriteria criteria;
  criteria.title = QString::fromUtf8(title);
  criteria.category = QString::fromUtf8(category);
  criteria.rated = QString::fromUtf8(rated);
  criteria.starring = QString::fromUtf8(starring);
  criteria.description = QString::fromUtf8(description);
  criteria.exactMatch = exact;
  criteria.matchAll = all;
  return criteria;
}

SearchCriteria Title(const char* title, bool exact = false) {
  return Criteria(title, "", "", "", "", exact, true);
}

class StatementTest : public ::testing::TestWithParam<StatementCase> {};

TEST_P(StatementTest, IsBuiltFromTheFixedPieces) {
  const std::optional<DVDQuery> query = SearchQuery(GetParam().criteria);
  ASSERT_TRUE(query);
  EXPECT_EQ(query->Sql(), QString::fromUtf8(GetParam().sql));
}

INSTANTIATE_TEST_SUITE_P(
    Statements, StatementTest,
    ::testing::Values(
        StatementCase{"TitlePartialAnd", Title("star"),
                      "Select Inventory.* From Inventory Where Inventory.DVDTitle Like '*star*' "
                      "Order By Inventory.DVDTitle"},
        StatementCase{"TitleAndCategoryPartialOr",
                      Criteria("star", "Comedy", "", "", "", false, false),
                      "Select Inventory.* From Inventory Where Inventory.DVDTitle Like '*star*' "
                      "Or Inventory.Category Like '*Comedy*' Order By Inventory.DVDTitle"},
        StatementCase{"RatedAndDescriptionExactAnd",
                      Criteria("", "", "PG", "", "space", true, true),
                      "Select Inventory.* From Inventory Where Inventory.Rated = 'PG' And "
                      "Inventory.Description = 'space' Order By Inventory.DVDTitle"},
        StatementCase{"OrWithOneCriterionIsTheAndStatement",
                      Criteria("star", "", "", "", "", false, false),
                      "Select Inventory.* From Inventory Where Inventory.DVDTitle Like '*star*' "
                      "Order By Inventory.DVDTitle"},
        StatementCase{"AllFiveInTheirOrder", Criteria("t", "c", "r", "s", "d", true, false),
                      "Select Inventory.* From Inventory Where Inventory.DVDTitle = 't' Or "
                      "Inventory.Category = 'c' Or Inventory.Rated = 'r' Or Inventory.Starring = "
                      "'s' Or Inventory.Description = 'd' Order By Inventory.DVDTitle"},
        StatementCase{"BlanksAreACriterion", Title("  "),
                      "Select Inventory.* From Inventory Where Inventory.DVDTitle Like '*  *' "
                      "Order By Inventory.DVDTitle"},
        StatementCase{"WildcardsKeptInPartialMode", Title("st?r#[a-c]*"),
                      "Select Inventory.* From Inventory Where Inventory.DVDTitle Like "
                      "'*st?r#[a-c]**' Order By Inventory.DVDTitle"},
        StatementCase{"WildcardsPlainInExactMode", Title("st?r#[a-c]*", true),
                      "Select Inventory.* From Inventory Where Inventory.DVDTitle = "
                      "'st?r#[a-c]*' Order By Inventory.DVDTitle"},
        StatementCase{"QuotesAreDoubledInsideTheLiteral",
                      Criteria("", "", "", "O'Brien", "it's ''", false, true),
                      "Select Inventory.* From Inventory Where Inventory.Starring Like "
                      "'*O''Brien*' And Inventory.Description Like '*it''s ''''*' Order By "
                      "Inventory.DVDTitle"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SearchQueryTest, NoCriterionGivesNoStatement) {
  EXPECT_EQ(SearchClause(SearchCriteria{}), QString());
  EXPECT_FALSE(SearchQuery(Criteria("", "", "", "", "", true, false)));
}

struct FindCase {
  const char* name;
  SearchCriteria criteria;
  QStringList titles;
};

void PrintTo(const FindCase& c, std::ostream* out) { *out << c.name; }

class FindTest : public ::testing::TestWithParam<FindCase> {
 protected:
  void SetUp() override {
    auto add = [this](const char* title, const char* category, const char* rated,
                      const char* starring, const char* description) {
      db.AddDvd(QString::fromUtf8(title), QString::fromUtf8(category), 0, {}, "2000-01-01",
                "2000-01-01", {}, QString::fromUtf8(rated), QString::fromUtf8(starring),
                QString::fromUtf8(description));
    };
    add("Stardust", "Fantasy", "PG-13", "Claire Danes", "A fallen star.");
    add("Star Wars", "Sci-Fi", "PG", "Mark Hamill", "A space opera.");
    add("Schindler's List", "Drama", "R", "Liam Neeson", "");
    add("Se7en", "Thriller", "R", "Brad Pitt", "");
    add("M*A*S*H", "Comedy", "PG", "Alan Alda", "");
    add("Blade Runner [Final Cut]", "Sci-Fi", "R", "Harrison Ford", "");
    add("Late Night", "Comedy", "PG-13", "Conan O'Brien", "It's late.");
    add("千と千尋の神隠し", "Animation", "PG", "柊瑠美", "");
  }

  testsupport::TempDatabase db;
};

TEST_P(FindTest, FindsTheseTitlesInTitleOrder) {
  QStringList titles;
  ReadDVDs(*SearchQuery(GetParam().criteria), {},
           [&](const DVDRecord& dvd) { titles << dvd.title; });
  EXPECT_EQ(titles, GetParam().titles) << qPrintable(SearchClause(GetParam().criteria));
}

INSTANTIATE_TEST_SUITE_P(
    Searches, FindTest,
    ::testing::Values(
        FindCase{"ExactTitleIgnoresCase", Title("star wars", true), {"Star Wars"}},
        FindCase{"ExactTitleIsWhole", Title("Star", true), {}},
        FindCase{"QuestionMarkWidens", Title("S?7"), {"Se7en"}},
        FindCase{"ExactWildcardsArePlain", Title("M*H", true), {}},
        FindCase{"ExactStarsArePlain", Title("m*a*s*h", true), {"M*A*S*H"}},
        FindCase{"UnclosedBracketIsLiteral", Title("[Final"), {"Blade Runner [Final Cut]"}},
        FindCase{"LoneClosingBracket", Title("]"), {"Blade Runner [Final Cut]"}},
        FindCase{"ApostropheInTitle", Title("schindler's list", true), {"Schindler's List"}},
        FindCase{
            "ApostropheInStars", Criteria("", "", "", "o'brien", "", false, true), {"Late Night"}},
        FindCase{"QuotesCannotWidenTheSearch", Title("x' Or 'a' Like '*"), {}},
        FindCase{"DateLiteralTextStaysText", Title("#01-01-2000#"), {}},
        FindCase{"OnlyABlank",
                 Title(" "),
                 {"Blade Runner [Final Cut]", "Late Night", "Schindler's List", "Star Wars"}},
        FindCase{"ALongCriterion", Title(std::string(1000, 'a').c_str()), {}},
        FindCase{
            "NonLatin", Criteria("千尋", "", "", "柊", "", false, true), {"千と千尋の神隠し"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
