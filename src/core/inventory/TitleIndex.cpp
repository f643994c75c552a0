#include "inventory/TitleIndex.h"

#include <QStringList>
#include <set>
#include <string>

#include "app/Collection.h"
#include "data/Database.h"
#include "data/DatabaseFunctions.h"
#include "data/JetDialect.h"
#include "data/Recordset.h"
#include "data/Statement.h"
#include "inventory/DerivedRows.h"

namespace TitleIndex {
namespace {

const QString kSource = QStringLiteral("TitleIndex");
// Worked out from Inventory: the file check accepts the index as the virtual table it is, a
// salvage leaves it to be rebuilt.
[[maybe_unused]] const bool kDeclared =
    DatabaseFunctions::DeclareDerivedTable(QStringLiteral("TitleTrigrams")) &&
    DatabaseFunctions::DeclareDerivedTable(QStringLiteral("TitleStale"));

// The titles come folded already, so the tokenizer must not fold again by rules of its own;
// only which DVDs hold a run is kept (no positions, no sizes), the Like checks the rest.
const QString kCreate = QStringLiteral(
    "CREATE VIRTUAL TABLE TitleTrigrams USING fts5(Title, tokenize = 'trigram case_sensitive 1', "
    "detail = none, columnsize = 0)");

const DerivedRows::Kind& Titles() {
  static const DerivedRows::Kind kind{
      QStringLiteral("TitleTrigrams"),
      QStringLiteral("TitleStale"),
      QStringLiteral("rowid, Title"),
      QStringLiteral("Inventory.rowid, LikeFold(Inventory.DVDTitle)"),
      kSource,
      &RebuildTitleIndex,
      QStringLiteral("rowid")};
  return kind;
}

// Whether the file holds the index as this program makes it: another build's options would
// tokenize differently.
bool MadeAsHere(Database& db) {
  Statement made =
      db.PrepareRaw(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = "
                                   "'TitleTrigrams' COLLATE BINARY"),
                    kSource);
  return made.Step() && made.Text(0) == kCreate;
}

// Each distinct run of three characters the pattern's text must hold, as a phrase of the index's
// query language (double quotes doubled).
QStringList Trigrams(const QString& pattern) {
  const QByteArray utf8 = pattern.toUtf8();
  const JetDialect::LikePattern compiled(utf8.constData(), int(utf8.size()));
  std::set<std::u32string> distinct;
  for (const std::u32string& run : compiled.LiteralRuns()) {
    for (size_t at = 0; at + 3 <= run.size(); ++at) {
      const std::u32string trigram = run.substr(at, 3);
      // A zero character is stored as U+FFFD (see JetDialect::LikeFolded).
      if (trigram.find(U'\0') == std::u32string::npos) distinct.insert(trigram);
    }
  }
  QStringList phrases;
  for (const std::u32string& trigram : distinct) {
    QString text = QString::fromUcs4(trigram.data(), 3);
    text.replace(u'"', QStringLiteral("\"\""));
    phrases << u'"' + text + u'"';
  }
  return phrases;
}

}  // namespace

void CreateTitleIndex(const DatabaseHandle& db) {
  bool complete = DerivedRows::KeptBefore(*db, Titles()) && MadeAsHere(*db);
  DerivedRows::KeepNotes(*db, Titles());
  // A salvaged file keeps the triggers but not the index's rows.
  complete = complete && DerivedRows::HoldsRows(*db, Titles());
  if (!complete) RebuildTitleIndex(db);
}

void RebuildTitleIndex(const DatabaseHandle& db) {
  Transaction transaction(db);
  // Made anew rather than emptied: deleting from a full-text index reads every row it holds.
  db->ExecuteRaw(QStringLiteral("DROP TABLE IF EXISTS TitleTrigrams"), kSource);
  db->ExecuteRaw(kCreate, kSource);
  db->ExecuteRaw(QStringLiteral("DELETE FROM TitleStale"), kSource);
  db->ExecuteRaw(QStringLiteral("INSERT INTO TitleTrigrams (%1) SELECT %2 FROM Inventory")
                     .arg(Titles().columns, Titles().values),
                 kSource);
  transaction.Commit();
}

std::optional<QString> Narrowing(Collection& collection, const QString& pattern) {
  const QStringList phrases = Trigrams(pattern);
  if (phrases.isEmpty()) return std::nullopt;
  const DatabaseHandle& db = collection.Db();
  if (!DerivedRows::InSchema(*db, QStringLiteral("table"), QStringLiteral("TitleTrigrams")) ||
      !DerivedRows::CatchUp(db, Titles())) {
    return std::nullopt;
  }
  // Phrases side by side must all be present.
  return QStringLiteral(
             "Inventory.rowid In (Select rowid From TitleTrigrams Where TitleTrigrams Match %1)")
      .arg(SqlText(phrases.join(u' ')));
}

}  // namespace TitleIndex
