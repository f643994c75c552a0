// The search's statements, text for text, and what they find in a real file.
#include "inventory/SearchQuery.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "inventory/TitleIndex.h"
#include "upkeep/DatabaseMaintenance.h"

using namespace InventoryFunctions;

namespace {

// How wildcards and quotes enter the statement shows in what the searches below find.
TEST(SearchQueryTest, StatementIsBuiltFromTheFixedPieces) {
  const std::pair<SearchCriteria, const char*> statements[] = {
      {{.title = "star"}, "Inventory.DVDTitle Like '*star*'"},
      {{.title = "star", .category = "Comedy", .matchAll = false},
       "Inventory.DVDTitle Like '*star*' Or Inventory.Category Like '*Comedy*'"},
      {{.rated = "PG", .description = "space", .exactMatch = true},
       "Inventory.Rated = 'PG' And Inventory.Description = 'space'"},
      // Or with one criterion is the And statement.
      {{.title = "star", .matchAll = false}, "Inventory.DVDTitle Like '*star*'"},
      {{"t", "c", "r", "s", "d", true, false},
       "Inventory.DVDTitle = 't' Or Inventory.Category = 'c' Or Inventory.Rated = 'r' Or "
       "Inventory.Starring = 's' Or Inventory.Description = 'd'"},
      // Blanks are a criterion.
      {{.title = "  "}, "Inventory.DVDTitle Like '*  *'"}};
  for (const auto& [criteria, where] : statements) {
    const std::optional<DVDQuery> query = SearchQuery(criteria);
    ASSERT_TRUE(query) << where;
    EXPECT_EQ(query->Sql(), "Select Inventory.* From Inventory Where " + QString::fromUtf8(where) +
                                " Order By Inventory.DVDTitle");
  }
}

TEST(SearchQueryTest, NoCriterionGivesNoStatement) {
  EXPECT_EQ(SearchClause({}), QString());
  EXPECT_FALSE(SearchQuery({.exactMatch = true, .matchAll = false}));
}

TEST(SearchQueryTest, FindsTheseTitlesInTitleOrder) {
  testsupport::TempDatabase db;
  const char* const rows[][3] = {
      {"Star Wars", "PG", "Mark Hamill"},   {"Schindler's List", "R", "Liam Neeson"},
      {"Se7en", "R", "Brad Pitt"},          {"M*A*S*H", "PG", "Alan Alda"},
      {"Late Night", "R", "Conan O'Brien"}, {"Blade Runner [Final Cut]", "R", "Harrison Ford"},
      {"千と千尋の神隠し", "PG", "柊瑠美"}};
  for (const auto& row : rows) {
    db.AddDvd(QString::fromUtf8(row[0]), {}, 0, {}, "2000-01-01", "2000-01-01", {},
              QString::fromUtf8(row[1]), QString::fromUtf8(row[2]));
  }
  const std::pair<SearchCriteria, QStringList> searches[] = {
      {{.title = "star wars", .exactMatch = true}, {"Star Wars"}},  // letter case ignored
      {{.title = "Star", .exactMatch = true}, {}},                  // exact is whole
      {{.title = "S?7"}, {"Se7en"}},
      // Wildcards are plain text in an exact search.
      {{.title = "M*H", .exactMatch = true}, {}},
      {{.title = "m*a*s*h", .exactMatch = true}, {"M*A*S*H"}},
      {{.title = "[Final"}, {"Blade Runner [Final Cut]"}},  // an unclosed bracket is literal
      {{.title = "schindler's list", .exactMatch = true}, {"Schindler's List"}},
      {{.starring = "o'brien"}, {"Late Night"}},
      {{.title = "x' Or 'a' Like '*"}, {}},  // quotes cannot widen the search
      {{.title = "#01-01-2000#"}, {}},       // a date literal's text stays text
      {{.title = QString(1000, u'a')}, {}},
      {{.title = "千尋", .starring = "柊"}, {"千と千尋の神隠し"}}};
  for (const auto& [criteria, expected] : searches) {
    QStringList titles;
    ReadDVDs(db, *SearchQuery(criteria), {}, [&](const DVDRecord& dvd) { titles << dvd.title; });
    EXPECT_EQ(titles, expected) << qPrintable(SearchClause(criteria));
  }
}

}  // namespace

// The title index only narrows: whatever the letters, wildcards and writers, the search finds the
// DVDs the scan of every title finds, in the same order.
TEST(SearchQueryTest, TitleIndexFindsWhatTheScanFinds) {
  testsupport::TempDatabase db;
  const char* const titles[] = {"Lisbon Story",
                                "LISBON STORY",
                                "lisbon story",
                                "Lisbon",
                                "Café Lisboa",
                                "CAFÉ",
                                "Cafe",
                                "Οδυσσευς",
                                "ΣΟΦΙΑ",
                                "STRAẞE",
                                "Straße",
                                "𐐀𐐁𐐂",
                                "ᎠᎡᎢ",
                                "The \"Best\" O'Neil",
                                "M*A*S*H",
                                "Se7en",
                                "Blade Runner [Final Cut]",
                                "İstanbul"};
  for (const char* title : titles) db.AddDvd(QString::fromUtf8(title), "Comedy");
  db.AddDvd("Zed", "Drama");
  // Each with whether a run of three plain characters lets the index narrow.
  const std::pair<const char*, bool> patterns[] = {
      {"lisbon", true},    {"LISBON sto", true},   {"café", true},      {"afe", true},
      {"σευς", true},      {"σοφ", true},          {"straße", true},    {"𐐨𐐩𐐪", true},
      {"ꭰꭱꭲ", true}, {"\"best\" o'n", true}, {"m[*]a[*]s", true}, {"lis*bon", true},
      {"l?sbon", true},    {"[Ll]isbon", true},    {"[Final", true},    {"istanbul", true},
      {"cde", true},       {"se#en", false},       {"li", false},       {"*", false},
      {"zzz", true}};
  auto ids = [&](const SearchCriteria& criteria) {
    QStringList found;
    for (const qint64 id : SearchQuery(criteria)->Ids(db)) found << QString::number(id);
    return found;
  };
  auto scanned = [&](const SearchCriteria& criteria) {
    return db.Column("Select Inventory.rowid From Inventory Where " + SearchClause(criteria) +
                     " Order By Inventory.DVDTitle");
  };
  const std::pair<const char*, std::function<void()>> writes[] = {
      {"as added", [] {}},
      {"another program's writes",
       [&] {
         testsupport::Sqlite3Shell(
             db.Path(),
             "UPDATE Inventory SET DVDTitle = 'Lost in Lisbon' WHERE DVDTitle = 'Cafe';"
             "UPDATE Inventory SET DVDTitle = 'Porto' WHERE DVDTitle = 'lisbon story';"
             "INSERT INTO Inventory (DVDTitle) VALUES ('lisbon'), (CAST(X'4142004344454647' AS "
             "TEXT));"
             "DELETE FROM Inventory WHERE DVDTitle = 'Lisbon';");
       }},
      {"an older file's first start", [&] {
         testsupport::Sqlite3Shell(db.Path(), "DROP TABLE TitleTrigrams");
         DatabaseMaintenance::Open(db, db.Path());
       }}};
  for (const auto& [what, write] : writes) {
    SCOPED_TRACE(what);
    write();
    for (const auto& [pattern, narrows] : patterns) {
      const QString title = QString::fromUtf8(pattern);
      EXPECT_EQ(TitleIndex::Narrowing(db, u'*' + title + u'*').has_value(), narrows) << pattern;
      for (const SearchCriteria& criteria :
           {SearchCriteria{.title = title}, SearchCriteria{.title = title, .category = "drama"},
            SearchCriteria{.title = title, .category = "drama", .matchAll = false}}) {
        EXPECT_EQ(ids(criteria), scanned(criteria)) << qPrintable(SearchClause(criteria));
      }
    }
  }
  EXPECT_EQ(ids({.title = "cde"}).size(), 1);  // the title with a zero character
}
