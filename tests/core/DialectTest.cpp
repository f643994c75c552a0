// How the program's SQL dialect behaves on SQLite: date literals, Like patterns, and text that
// compares without regard to letter case but keeps accents apart.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "data/JetDialect.h"
#include "data/Recordset.h"
#include "inventory/InventoryFunctions.h"

using testsupport::TempDatabase;

namespace {

struct LikeCase {
  const char* pattern;
  const char* text;
  bool matches;
};

class LikePatternTest : public ::testing::TestWithParam<LikeCase> {};

// Through the SQL operator, with the pattern as a literal from SqlText.
TEST_P(LikePatternTest, Matches) {
  const LikeCase& c = GetParam();
  const QString pattern = QString::fromUtf8(c.pattern);
  const QString text = QString::fromUtf8(c.text);
  TempDatabase db;
  db.AddDvd(text.isEmpty() ? "placeholder" : "row", text);
  const QStringList hits =
      db.Column(QStringLiteral("Select Inventory.Category From Inventory Where "
                               "Inventory.Category Like ") +
                SqlText(pattern));
  EXPECT_EQ(hits.size(), c.matches ? 1 : 0) << c.pattern << " against " << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, LikePatternTest,
    ::testing::Values(
        LikeCase{"*star*", "The Star Wars", true}, LikeCase{"star", "STAR", true},
        LikeCase{"st?r", "Stir", true}, LikeCase{"st?r", "Str", false}, LikeCase{"#1", "51", true},
        LikeCase{"#1", "a1", false}, LikeCase{"[a-c]at", "Bat", true},
        LikeCase{"[!a-c]at", "Bat", false}, LikeCase{"[!a-c]at", "Rat", true},
        LikeCase{"[xyz]", "Y", true},
        // % and _ are ordinary characters here, unlike standard SQL.
        LikeCase{"100%", "100%", true}, LikeCase{"100%", "1000", false},
        LikeCase{"a_b", "a_b", true}, LikeCase{"a_b", "axb", false},
        // Brackets make a pattern character literal; an unclosed bracket is itself literal.
        LikeCase{"[*]*", "*star", true}, LikeCase{"[*]*", "star", false},
        LikeCase{"[?]", "?", true}, LikeCase{"[#]1", "#1", true}, LikeCase{"[a-", "[a-", true},
        // Letter case is ignored for every letter, accents are not.
        LikeCase{"é*", "École", true}, LikeCase{"e*", "école", false},
        LikeCase{"Ø*", "øresund", true}, LikeCase{"*'*", "O'Brien", true},
        LikeCase{"a*b*c", "aXbYc", true}, LikeCase{"a*b*c", "aXbY", false}, LikeCase{"*", "", true},
        LikeCase{"", "", true}, LikeCase{"", "a", false}, LikeCase{"*日本*", "映画 日本 2", true},
        LikeCase{"**a", "ba", true}));

TEST(TranslateSql, RewritesDateLiteralsOutsideQuotesOnly) {
  using JetDialect::TranslateSql;
  EXPECT_EQ(TranslateSql("Select 1 Where #12-05-2026# > x"), "Select 1 Where '2026-12-05' > x");
  EXPECT_EQ(TranslateSql("x = #1/5/2026#"), "x = '2026-01-05'");
  EXPECT_EQ(TranslateSql("x = #12-05-2026 14:30:00#"), "x = '2026-12-05 14:30:00'");
  // Inside text the # is a Like pattern character or plain text and must stay.
  EXPECT_EQ(TranslateSql("x Like '#1' And y = 'It''s #12-05-2026#'"),
            "x Like '#1' And y = 'It''s #12-05-2026#'");
  EXPECT_THROW(TranslateSql("x = #13-45-2026#"), DatabaseError);
  EXPECT_THROW(TranslateSql("x = #12-05-2026"), DatabaseError);
}

struct DueCase {
  const char* dueDate;  // as stored
  bool overdue;         // seen on 4 December 2026
};

class OverdueRuleTest : public ::testing::TestWithParam<DueCase> {};

TEST_P(OverdueRuleTest, SqlAndCodeAgree) {
  const DueCase& c = GetParam();
  TempDatabase db;
  db.AddDvd("Lent", {}, 1, "Ann", "2026-11-01", QString::fromUtf8(c.dueDate));
  const QDate today(2026, 12, 4);
  const QStringList overdue = db.Column("Select Inventory.DVDTitle From Inventory Where " +
                                        SqlText(today) + " > Inventory.DueDate");
  EXPECT_EQ(overdue.size(), c.overdue ? 1 : 0) << c.dueDate;
  const QStringList notDue = db.Column("Select Inventory.DVDTitle From Inventory Where " +
                                       SqlText(today) + " <= Inventory.DueDate");
  EXPECT_EQ(notDue.size(), c.overdue ? 0 : 1) << c.dueDate;

  RecordsetPtr records = OpenRecords("Select Inventory.* From Inventory");
  FetchAllRecords(records);
  EXPECT_EQ(InventoryFunctions::IsOverdue(1, records->Date("DueDate"), today), c.overdue);
  EXPECT_FALSE(InventoryFunctions::IsOverdue(0, records->Date("DueDate"), today));
}

INSTANTIATE_TEST_SUITE_P(
    DueDates, OverdueRuleTest,
    ::testing::Values(DueCase{"2026-12-03", true}, DueCase{"2026-12-03 23:59:59", true},
                      DueCase{"2026-12-04", false}, DueCase{"2026-12-04 10:00:00", false},
                      DueCase{"2026-12-05", false}, DueCase{"2025-12-31", true}));

TEST(TextComparison, IgnoresCaseKeepsAccents) {
  TempDatabase db;
  for (const char* title :
       {"amélie", "Zoolander", "école", "Eagle", "Ecole", "casablanca", "Émile"}) {
    db.AddDvd(QString::fromUtf8(title));
  }
  auto count = [&](const QString& title) {
    return db
        .Column("Select Inventory.DVDTitle From Inventory Where Inventory.DVDTitle = " +
                SqlText(title))
        .size();
  };
  EXPECT_EQ(count("AMÉLIE"), 1);
  EXPECT_EQ(count("AMELIE"), 0);
  EXPECT_EQ(count("ÉCOLE"), 1);  // finds école, not Ecole
  EXPECT_EQ(count("ecole"), 1);  // finds Ecole, not école

  // Order By: case ignored, accented letters among their base letters, accents break ties.
  EXPECT_EQ(db.Column(QStringLiteral(
                "Select Inventory.DVDTitle From Inventory Order By Inventory.DVDTitle")),
            (QStringList{"amélie", "casablanca", "Eagle", "Ecole", "école", "Émile", "Zoolander"}));
}

TEST(TextComparison, GroupByFoldsCaseOnly) {
  TempDatabase db;
  db.AddDvd("A", "Comedy");
  db.AddDvd("B", "comedy");
  db.AddDvd("C", "COMEDY");
  db.AddDvd("D", "Drama");
  db.AddDvd("E", "Dráma");
  const QStringList groups = db.Column(QStringLiteral(
      "Select Inventory.Category From Inventory Group By Category Order By Category"));
  ASSERT_EQ(groups.size(), 3);
  EXPECT_EQ(groups[0].toLower(), "comedy");
  EXPECT_EQ(groups[1], "Drama");
  EXPECT_EQ(groups[2], "Dráma");
}

}  // namespace
