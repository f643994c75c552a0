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

// Through the SQL operator, with the pattern as a literal from SqlText. % and _ are ordinary
// characters here, unlike standard SQL. Brackets make a pattern character literal; an unclosed
// bracket is itself literal.
TEST(LikePatternTest, Matches) {
  using Cases = std::initializer_list<std::pair<const char*, const char*>>;  // pattern, text
  const Cases matching = {{"star", "STAR"},   {"st?r", "Stir"},    {"#1", "51"},
                          {"[a-c]at", "Bat"}, {"[!a-c]at", "Rat"}, {"[xyz]", "Y"},
                          {"100%", "100%"},   {"a_b", "a_b"},      {"[*]*", "*star"},
                          {"[?]", "?"},       {"[#]1", "#1"},      {"[a-", "[a-"},
                          {"*'*", "O'Brien"}, {"a*b*c", "aXbYc"},  {"*", ""},
                          {"", ""},           {"**a", "ba"},       {"*star*", "The Star Wars"}};
  const Cases notMatching = {{"st?r", "Str"},   {"#1", "a1"},   {"[!a-c]at", "Bat"},
                             {"100%", "1000"},  {"a_b", "axb"}, {"[*]*", "star"},
                             {"a*b*c", "aXbY"}, {"", "a"}};
  // Letter case is ignored for every letter, accents are not.
  const Cases letters = {{"é*", "École"}, {"Ø*", "øresund"}, {"*日本*", "映画 日本 2"}};
  const Cases accents = {{"e*", "école"}};
  TempDatabase db;
  for (const auto& [cases, matches] :
       {std::pair{matching, true}, {notMatching, false}, {letters, true}, {accents, false}}) {
    for (const auto& [pattern, text] : cases) {
      db.Db()->Execute("DELETE FROM Inventory");
      db.AddDvd("row", QString::fromUtf8(text));
      const QStringList hits =
          db.Column("Select Inventory.Category From Inventory Where Inventory.Category Like " +
                    SqlText(QString::fromUtf8(pattern)));
      EXPECT_EQ(hits.size(), matches ? 1 : 0) << pattern << " against " << text;
    }
  }
}

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

TEST(OverdueRuleTest, SqlAndCodeAgree) {
  const QDate today(2026, 12, 4);
  const std::pair<const char*, bool> dueDates[] = {
      {"2026-12-03", true},           {"2026-12-03 23:59:59", true}, {"2026-12-04", false},
      {"2026-12-04 10:00:00", false}, {"2026-12-05", false},         {"2025-12-31", true}};
  TempDatabase db;
  for (const auto& [dueDate, overdue] : dueDates) {
    SCOPED_TRACE(dueDate);
    db.Db()->Execute("DELETE FROM Inventory");
    db.AddDvd("Lent", {}, 1, "Ann", "2026-11-01", dueDate);
    EXPECT_EQ(db.Column("Select Inventory.DVDTitle From Inventory Where " + SqlText(today) +
                        " > Inventory.DueDate")
                  .size(),
              overdue ? 1 : 0);
    EXPECT_EQ(db.Column("Select Inventory.DVDTitle From Inventory Where " + SqlText(today) +
                        " <= Inventory.DueDate")
                  .size(),
              overdue ? 0 : 1);
    RecordsetPtr records = OpenRecords("Select Inventory.* From Inventory", db.Db());
    FetchAllRecords(records);
    EXPECT_EQ(InventoryFunctions::IsOverdue(1, records->Date("DueDate"), today), overdue);
    EXPECT_FALSE(InventoryFunctions::IsOverdue(0, records->Date("DueDate"), today));
  }
}

TEST(TextComparison, IgnoresCaseKeepsAccents) {
  TempDatabase db;
  for (const char* title :
       {"amélie", "Zoolander", "école", "Eagle", "Ecole", "casablanca", "Émile"}) {
    db.AddDvd(QString::fromUtf8(title));
  }
  auto found = [&](const QString& title) {
    return db
        .Column("Select Inventory.DVDTitle From Inventory Where Inventory.DVDTitle = " +
                SqlText(title))
        .join(u'|');
  };
  EXPECT_EQ(QStringList({found("AMÉLIE"), found("AMELIE"), found("ÉCOLE"), found("ecole")}),
            QStringList({"amélie", "", "école", "Ecole"}));

  // Order By: case ignored, accented letters among their base letters, accents break ties.
  EXPECT_EQ(db.Column("Select Inventory.DVDTitle From Inventory Order By Inventory.DVDTitle"),
            (QStringList{"amélie", "casablanca", "Eagle", "Ecole", "école", "Émile", "Zoolander"}));
}

// The list's own index orders titles by a key; its byte order must be the engine's order.
TEST(TextComparison, KeyOrderIsTheEngineOrder) {
  QStringList texts = {"", "a b", "ab", "aB", "ß", "ss", "日本", "Ω", "\xff"};
  for (char16_t c = 0xC0; c <= 0x24F; ++c) texts << QString(QChar(c)) << QChar(c) + QString("z");
  for (char c = 'a'; c <= 'z'; ++c) texts << QString(c) << QChar(c).toUpper() + QString("é");
  auto key = [](const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return JetDialect::NoCaseKey(utf8.constData(), int(utf8.size()));
  };
  auto sign = [](int v) { return (v > 0) - (v < 0); };
  QStringList wrong;
  for (const QString& a : texts) {
    for (const QString& b : texts) {
      const QByteArray ua = a.toUtf8();
      const QByteArray ub = b.toUtf8();
      const int engine =
          JetDialect::CompareNoCase(ua.constData(), int(ua.size()), ub.constData(), int(ub.size()));
      if (sign(engine) != sign(key(a).compare(key(b)))) wrong << a + u'/' + b;
    }
  }
  EXPECT_EQ(wrong.mid(0, 5), QStringList());
}

TEST(TextComparison, GroupByFoldsCaseOnly) {
  TempDatabase db;
  for (const char* category : {"Comedy", "comedy", "COMEDY", "Drama", "Dráma"}) {
    db.AddDvd("A", QString::fromUtf8(category));
  }
  QStringList groups =
      db.Column("Select Inventory.Category From Inventory Group By Category Order By Category");
  // Which spelling stands for a group of several is not defined.
  if (!groups.isEmpty()) groups[0] = groups[0].toLower();
  EXPECT_EQ(groups, QStringList({"comedy", "Drama", "Dráma"}));
}

}  // namespace
