// The search's statements, text for text, and what they find in a real file.
#include "inventory/SearchQuery.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

using namespace InventoryFunctions;

namespace {

struct StatementCase {
  const char* name;
  SearchCriteria criteria;
  const char* where;  // between "... From Inventory Where " and " Order By Inventory.DVDTitle"
};

class StatementTest : public ::testing::TestWithParam<StatementCase> {};

TEST_P(StatementTest, IsBuiltFromTheFixedPieces) {
  const std::optional<DVDQuery> query = SearchQuery(GetParam().criteria);
  ASSERT_TRUE(query);
  EXPECT_EQ(query->Sql(), "Select Inventory.* From Inventory Where " +
                              QString::fromUtf8(GetParam().where) + " Order By Inventory.DVDTitle");
}

INSTANTIATE_TEST_SUITE_P(
    Statements, StatementTest,
    ::testing::Values(
        StatementCase{"TitlePartialAnd", {.title = "star"}, "Inventory.DVDTitle Like '*star*'"},
        StatementCase{"TitleAndCategoryPartialOr",
                      {.title = "star", .category = "Comedy", .matchAll = false},
                      "Inventory.DVDTitle Like '*star*' Or Inventory.Category Like '*Comedy*'"},
        StatementCase{"RatedAndDescriptionExactAnd",
                      {.rated = "PG", .description = "space", .exactMatch = true},
                      "Inventory.Rated = 'PG' And Inventory.Description = 'space'"},
        StatementCase{"OrWithOneCriterionIsTheAndStatement",
                      {.title = "star", .matchAll = false},
                      "Inventory.DVDTitle Like '*star*'"},
        StatementCase{"AllFiveInTheirOrder",
                      {"t", "c", "r", "s", "d", true, false},
                      "Inventory.DVDTitle = 't' Or Inventory.Category = 'c' Or Inventory.Rated = "
                      "'r' Or Inventory.Starring = 's' Or Inventory.Description = 'd'"},
        StatementCase{"BlanksAreACriterion", {.title = "  "}, "Inventory.DVDTitle Like '*  *'"},
        StatementCase{"WildcardsKeptInPartialMode",
                      {.title = "st?r#[a-c]*"},
                      "Inventory.DVDTitle Like '*st?r#[a-c]**'"},
        StatementCase{"WildcardsPlainInExactMode",
                      {.title = "st?r#[a-c]*", .exactMatch = true},
                      "Inventory.DVDTitle = 'st?r#[a-c]*'"},
        StatementCase{"QuotesAreDoubledInsideTheLiteral",
                      {.starring = "O'Brien", .description = "it's ''"},
                      "Inventory.Starring Like '*O''Brien*' And Inventory.Description Like "
                      "'*it''s ''''*'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SearchQueryTest, NoCriterionGivesNoStatement) {
  EXPECT_EQ(SearchClause({}), QString());
  EXPECT_FALSE(SearchQuery({.exactMatch = true, .matchAll = false}));
}

struct FindCase {
  const char* name;
  SearchCriteria criteria;
  QStringList titles;
};

class FindTest : public ::testing::TestWithParam<FindCase> {
 protected:
  void SetUp() override {
    const char* const rows[][3] = {
        {"Star Wars", "PG", "Mark Hamill"},   {"Schindler's List", "R", "Liam Neeson"},
        {"Se7en", "R", "Brad Pitt"},          {"M*A*S*H", "PG", "Alan Alda"},
        {"Late Night", "R", "Conan O'Brien"}, {"Blade Runner [Final Cut]", "R", "Harrison Ford"},
        {"千と千尋の神隠し", "PG", "柊瑠美"}};
    for (const auto& row : rows) {
      db.AddDvd(QString::fromUtf8(row[0]), {}, 0, {}, "2000-01-01", "2000-01-01", {},
                QString::fromUtf8(row[1]), QString::fromUtf8(row[2]));
    }
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
        FindCase{
            "ExactTitleIgnoresCase", {.title = "star wars", .exactMatch = true}, {"Star Wars"}},
        FindCase{"ExactTitleIsWhole", {.title = "Star", .exactMatch = true}, {}},
        FindCase{"QuestionMarkWidens", {.title = "S?7"}, {"Se7en"}},
        FindCase{"ExactWildcardsArePlain", {.title = "M*H", .exactMatch = true}, {}},
        FindCase{"ExactStarsArePlain", {.title = "m*a*s*h", .exactMatch = true}, {"M*A*S*H"}},
        FindCase{"UnclosedBracketIsLiteral", {.title = "[Final"}, {"Blade Runner [Final Cut]"}},
        FindCase{"ApostropheInTitle",
                 {.title = "schindler's list", .exactMatch = true},
                 {"Schindler's List"}},
        FindCase{"ApostropheInStars", {.starring = "o'brien"}, {"Late Night"}},
        FindCase{"QuotesCannotWidenTheSearch", {.title = "x' Or 'a' Like '*"}, {}},
        FindCase{"DateLiteralTextStaysText", {.title = "#01-01-2000#"}, {}},
        FindCase{"ALongCriterion", {.title = QString(1000, u'a')}, {}},
        FindCase{"NonLatin", {.title = "千尋", .starring = "柊"}, {"千と千尋の神隠し"}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
