#include "inventory/ListOrder.h"

#include <QStringList>
#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "data/Database.h"
#include "data/DatabaseFunctions.h"
#include "data/JetDialect.h"
#include "data/Recordset.h"
#include "data/Statement.h"
#include "inventory/DerivedRows.h"
#include "inventory/InventoryFunctions.h"

namespace InventoryFunctions {
namespace {

const QString kSource = QStringLiteral("ListOrder");
// Worked out from Inventory: the file check knows their shape, a salvage leaves them to be rebuilt.
[[maybe_unused]] const bool kDeclared =
    DatabaseFunctions::DeclareDerivedTable(QStringLiteral("ListOrder")) &&
    DatabaseFunctions::DeclareDerivedTable(QStringLiteral("ListStale"));

const QString kShownIndex = QStringLiteral(
    "CREATE INDEX IF NOT EXISTS ListOrderShown ON ListOrder (Status DESC, DueDate, TitleKey)");
const QString kTitleIndex =
    QStringLiteral("CREATE INDEX IF NOT EXISTS ListOrderTitle ON ListOrder (TitleKey)");
// Only DVDs with a bar code are indexed: many collections have none.
const QString kBarCodeIndex = QStringLiteral(
    "CREATE INDEX IF NOT EXISTS ListOrderBarCode ON ListOrder (BarCodeKey) "
    "WHERE BarCodeKey IS NOT NULL");
// A bar code as a scan gives it, in the form the title key takes; none for a code without a
// letter or digit, which no scan finds.
const QString kBarCodeKey = QStringLiteral("NoCaseKey(NullIf(AsciiAlnum(Inventory.BarCode), ''))");

// The columns a sort by header click is read from: a key of the cell's text in the list's sort
// order, kept for the text columns the stock list shows (any other column's texts are read and
// sorted when asked). Only which texts sort equal is read from the keys: equal texts keep the
// order the list was loaded in, so the index needs nothing after the key.
struct SortColumn {
  DVDField field;
  const char* source;  // the Inventory column
  const char* key;     // the ListOrder column
};
constexpr SortColumn kSortColumns[] = {{DVDField::Title, "DVDTitle", "TitleSort"},
                                       {DVDField::Category, "Category", "CategorySort"},
                                       {DVDField::Starring, "Starring", "StarringSort"},
                                       {DVDField::Rated, "Rated", "RatedSort"}};

QString SortIndex(const SortColumn& column) {
  return QStringLiteral("ListOrderBy%1").arg(QLatin1String(column.key));
}

// Every index of the table, the list's order first.
std::vector<DerivedRows::Index> Indexes() {
  std::vector<DerivedRows::Index> indexes = {{QStringLiteral("ListOrderShown"), kShownIndex},
                                             {QStringLiteral("ListOrderTitle"), kTitleIndex},
                                             {QStringLiteral("ListOrderBarCode"), kBarCodeIndex}};
  for (const SortColumn& column : kSortColumns) {
    indexes.push_back(DerivedRows::IndexOn(QStringLiteral("ListOrder"), SortIndex(column),
                                           QLatin1String(column.key)));
  }
  return indexes;
}

// The columns and values of one ListOrder row worked out from Inventory.
QString PlaceColumns() {
  QString columns = QStringLiteral("DVD, Status, DueDate, TitleKey");
  for (const SortColumn& column : kSortColumns) columns += u", "_qs + QLatin1String(column.key);
  return columns + QStringLiteral(", BarCodeKey");
}
QString PlaceValues() {
  QString values = QStringLiteral(
      "Inventory.rowid, Inventory.Status, Inventory.DueDate, NoCaseKey(Inventory.DVDTitle)");
  for (const SortColumn& column : kSortColumns)
    values += QStringLiteral(", ListSortKey(Inventory.%1)").arg(QLatin1String(column.source));
  return values + u", "_qs + kBarCodeKey;
}

bool HasColumn(Database& db, const QString& column) {
  Statement found = db.PrepareRaw(
      QStringLiteral("SELECT count(*) FROM pragma_table_info('ListOrder') WHERE name = ?1"),
      kSource);
  found.BindText(1, column);
  return found.Number() > 0;
}

const DerivedRows::Kind& Places() {
  static const DerivedRows::Kind kind{QStringLiteral("ListOrder"),
                                      QStringLiteral("ListStale"),
                                      PlaceColumns(),
                                      PlaceValues(),
                                      kSource,
                                      &RebuildListOrder};
  return kind;
}

std::vector<qint64> Ids(Statement statement) {
  std::vector<qint64> ids;
  while (statement.Step()) ids.push_back(statement.Int64(0));
  return ids;
}

// Every rebuild, on any connection: the DVDs it placed again are not told one by one.
std::atomic<quint64> rebuilds{0};

// Which DVDs a connection placed again at each catch-up, so that a list held in memory can put
// those few back instead of reading every place. Told only while the notes were few; a rebuild, a
// new connection or a long log leaves everything before it untold.
struct PlaceLog {
  static constexpr size_t kMostNoted = 64;
  static constexpr size_t kMostKept = 4096;
  std::weak_ptr<Database> connection;
  quint64 rebuildsSeen = 0;
  qint64 point = 0;
  qint64 toldFrom = 0;
  std::vector<std::pair<qint64, qint64>> placed;  // (point, DVD)

  void ForgetBefore(const DatabaseHandle& db) {
    connection = db;
    rebuildsSeen = rebuilds;
    toldFrom = ++point;
    placed.clear();
  }
};

// The kept places brought up to date with the rows written since the last read; false when the
// caller must read Inventory itself.
bool MakeCurrent(Collection& collection) {
  const DatabaseHandle& db = collection.Db();
  PlaceLog& log = collection.Kept<PlaceLog>();
  if (log.connection.lock() != db || log.rebuildsSeen != rebuilds) log.ForgetBefore(db);
  const std::vector<qint64> noted = Ids(db->PrepareRaw(
      QStringLiteral("SELECT DVD FROM ListStale LIMIT %1").arg(PlaceLog::kMostNoted + 1), kSource));
  if (noted.empty()) return true;
  if (!DerivedRows::CatchUp(db, Places())) return false;
  if (noted.size() > PlaceLog::kMostNoted || log.rebuildsSeen != rebuilds ||
      log.placed.size() + noted.size() > PlaceLog::kMostKept) {
    log.ForgetBefore(db);
    return true;
  }
  ++log.point;
  for (const qint64 dvd : noted) log.placed.emplace_back(log.point, dvd);
  return true;
}

// The byte length of one unit of a key (see JetDialect::NoCaseKey).
int UnitLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  return 4;
}

// The next folded letter of a key's second part from `at` on; a left-out one (see
// JetDialect::NoCaseKey) is the one byte.
std::string_view NextFolded(const QByteArray& key, qsizetype& at) {
  if (at >= key.size()) return std::string_view("\x01", 1);
  const auto length = std::min<qsizetype>(UnitLength(uchar(key[at])), key.size() - at);
  const std::string_view unit(key.constData() + at, size_t(length));
  at += length;
  return unit;
}

// Whether the text of `key` starts with the text of `prefix`, given that its base letters do:
// the prefix's letters must also fold alike.
bool SameFoldedStart(const QByteArray& key, const QByteArray& prefix) {
  const qsizetype letters = prefix.indexOf('\0');
  qsizetype atKey = key.indexOf('\0') + 1;
  qsizetype atPrefix = letters + 1;
  for (qsizetype i = 0; i < letters; i += UnitLength(uchar(prefix[i]))) {
    if (NextFolded(key, atKey) != NextFolded(prefix, atPrefix)) return false;
  }
  return true;
}

}  // namespace

void CreateListOrderTable(const DatabaseHandle& db) {
  bool complete = DerivedRows::KeptBefore(*db, Places());
  // A table kept before the sort keys were is made anew.
  if (DerivedRows::InSchema(*db, QStringLiteral("table"), QStringLiteral("ListOrder")) &&
      !HasColumn(*db, QLatin1String(kSortColumns[0].key))) {
    db->ExecuteRaw(QStringLiteral("DROP TABLE ListOrder"), kSource);
    complete = false;
  }
  // Status and DueDate are declared as in Inventory, so that copied values keep their kind and
  // sort alike; no index touches a NOCASE column.
  QString keys;
  for (const SortColumn& column : kSortColumns)
    keys += u", "_qs + QLatin1String(column.key) + u" BLOB"_qs;
  db->ExecuteRaw(QStringLiteral("CREATE TABLE IF NOT EXISTS ListOrder (DVD INTEGER PRIMARY KEY, "
                                "Status INTEGER, DueDate DATE, TitleKey BLOB%1, BarCodeKey BLOB)")
                     .arg(keys),
                 kSource);
  // A table kept before the bar codes were gains their keys alone, which costs a fraction of
  // working out the sort keys again.
  if (!HasColumn(*db, QStringLiteral("BarCodeKey"))) {
    Transaction transaction(db);
    db->ExecuteRaw(QStringLiteral("ALTER TABLE ListOrder ADD COLUMN BarCodeKey BLOB"), kSource);
    db->ExecuteRaw(QStringLiteral("UPDATE ListOrder SET BarCodeKey = (SELECT %1 FROM Inventory "
                                  "WHERE Inventory.rowid = ListOrder.DVD)")
                       .arg(kBarCodeKey),
                   kSource);
    transaction.Commit();
  }
  DerivedRows::KeepNotes(*db, Places());
  for (const DerivedRows::Index& index : Indexes()) db->ExecuteRaw(index.create, kSource);
  // A salvaged file keeps the triggers but not the places.
  DerivedRows::MakeReady(db, Places(), complete && DerivedRows::HoldsRows(*db, Places()));
}

void RebuildListOrder(const DatabaseHandle& db) {
  ++rebuilds;
  DerivedRows::Rebuild(db, Places(), Indexes());
}

std::vector<qint64> ListOrderIds(Collection& collection, std::optional<qint64>* readAt) {
  const DatabaseHandle& db = collection.Db();
  if (readAt) readAt->reset();
  if (MakeCurrent(collection)) {
    if (readAt) *readAt = collection.Kept<PlaceLog>().point;
    return Ids(db->PrepareRaw(
        QStringLiteral("SELECT DVD FROM ListOrder ORDER BY Status DESC, DueDate, TitleKey"),
        kSource));
  }
  return Ids(db->Prepare(QStringLiteral("Select Inventory.rowid From Inventory Order By "
                                        "Inventory.Status DESC, Inventory.DueDate, "
                                        "Inventory.DVDTitle, Inventory.rowid"),
                         kSource));
}

std::vector<qint64> IdsOfTitle(Collection& collection, const QString& title) {
  const DatabaseHandle& db = collection.Db();
  Statement statement =
      MakeCurrent(collection)
          ? db->PrepareRaw(
                QStringLiteral("SELECT DVD FROM ListOrder WHERE TitleKey = NoCaseKey(?1)"), kSource)
          : db->PrepareRaw(QStringLiteral("SELECT rowid FROM Inventory WHERE DVDTitle = ?1"),
                           kSource);
  statement.BindText(1, title);
  return Ids(std::move(statement));
}

std::vector<qint64> IdsOfTitlesStartingWith(Collection& collection, const QString& prefix) {
  const DatabaseHandle& db = collection.Db();
  const QByteArray text = prefix.toUtf8();
  const QByteArray wanted = JetDialect::NoCaseKey(text.constData(), int(text.size()));
  const qsizetype letters = wanted.indexOf('\0');
  if (!MakeCurrent(collection)) {
    // Without the index: every title's key, compared the same way.
    Statement all =
        db->PrepareRaw(QStringLiteral("SELECT rowid, DVDTitle FROM Inventory"), kSource);
    std::vector<qint64> ids;
    while (all.Step()) {
      const QByteArray title = all.Text(1).toUtf8();
      const QByteArray key = JetDialect::NoCaseKey(title.constData(), int(title.size()));
      if (key.startsWith(wanted.left(letters)) && SameFoldedStart(key, wanted)) {
        ids.push_back(all.Int64(0));
      }
    }
    return ids;
  }
  // The keys that begin with the prefix's base letters, read from the title index alone; of
  // those, the ones whose first letters also fold alike.
  Statement range = db->PrepareRaw(
      QStringLiteral("SELECT DVD, TitleKey FROM ListOrder WHERE TitleKey >= ?1 AND TitleKey < ?2"),
      kSource);
  range.Bind(1, wanted.left(letters));
  range.Bind(2, wanted.left(letters) + char(0xFF));
  std::vector<qint64> ids;
  while (range.Step()) {
    const QByteArray key = range.Blob(1);
    if (SameFoldedStart(key, wanted)) ids.push_back(range.Int64(0));
  }
  return ids;
}

std::optional<int> CountDueBefore(Collection& collection, qint32 status, const QDate& day) {
  const DatabaseHandle& db = collection.Db();
  if (!MakeCurrent(collection)) return std::nullopt;
  // The columns keep Inventory's kinds, so the comparison is the one of Inventory's own query.
  Statement count = db->PrepareRaw(
      QStringLiteral("SELECT count(*) FROM ListOrder WHERE Status = ?1 AND DueDate < ?2"), kSource);
  count.Bind(1, status);
  count.Bind(2, day);
  return int(count.Number());
}

std::optional<SortedIds> ReadSortedIds(Collection& collection, DVDField field, size_t expected) {
  const auto column = std::find_if(std::begin(kSortColumns), std::end(kSortColumns),
                                   [&](const SortColumn& c) { return c.field == field; });
  if (column == std::end(kSortColumns)) return std::nullopt;
  const DatabaseHandle& db = collection.Db();
  if (!MakeCurrent(collection)) return std::nullopt;
  Statement sorted = db->PrepareRaw(
      QStringLiteral("SELECT DVD, %1 FROM ListOrder ORDER BY %1").arg(QLatin1String(column->key)),
      kSource);
  SortedIds read;
  read.ids.reserve(expected);
  read.sameText.reserve(expected);
  std::string last;
  while (sorted.Step()) {
    const QByteArrayView key = sorted.Bytes(1);
    const std::string_view text(key.data(), size_t(key.size()));
    read.sameText.push_back(!read.ids.empty() && text == last);
    read.ids.push_back(sorted.Int64(0));
    last.assign(text);
  }
  return read;
}

std::optional<std::vector<qint64>> PlacedSince(Collection& collection, qint64& readAt,
                                               size_t most) {
  if (!MakeCurrent(collection)) return std::nullopt;
  const PlaceLog& log = collection.Kept<PlaceLog>();
  if (readAt < log.toldFrom) return std::nullopt;
  std::vector<qint64> placed;
  for (const auto& [point, dvd] : log.placed) {
    if (point > readAt) placed.push_back(dvd);
  }
  std::sort(placed.begin(), placed.end());
  placed.erase(std::unique(placed.begin(), placed.end()), placed.end());
  if (placed.size() > most) return std::nullopt;
  readAt = log.point;
  return placed;
}

namespace {

// Whether ListOrder row a comes before row b in the list's order. Written out because two rows are
// compared, not sorted: NULL comes first as ORDER BY puts it (last for the descending status), and
// equal places fall back on the rowid, as the index gives them.
const char* const kListBefore =
    "CASE WHEN a.Status IS NOT b.Status THEN coalesce(b.Status IS NULL OR a.Status > b.Status, 0) "
    "WHEN a.DueDate IS NOT b.DueDate THEN coalesce(a.DueDate IS NULL OR a.DueDate < b.DueDate, 0) "
    "WHEN a.TitleKey IS NOT b.TitleKey "
    "THEN coalesce(a.TitleKey IS NULL OR a.TitleKey < b.TitleKey, 0) "
    "ELSE a.DVD < b.DVD END";

}  // namespace

struct PlaceOrder::Statements {
  Statement placed;
  Statement before;
  Statement sameKey;
};

PlaceOrder::PlaceOrder(Collection& collection, std::optional<DVDField> field, bool descending)
    : statements_(std::make_unique<Statements>()) {
  const DatabaseHandle& db = collection.Db();
  const QString pair =
      QStringLiteral(" FROM ListOrder a, ListOrder b WHERE a.DVD = ?1 AND b.DVD = ?2");
  statements_->placed =
      db->PrepareRaw(QStringLiteral("SELECT count(*) FROM ListOrder WHERE DVD = ?1"), kSource);
  QString before = QLatin1String(kListBefore);
  if (field) {
    const auto column = std::find_if(std::begin(kSortColumns), std::end(kSortColumns),
                                     [&](const SortColumn& c) { return c.field == *field; });
    if (column == std::end(kSortColumns)) throw std::invalid_argument("no kept keys");
    // An empty key and none sort as one, as the sort read from the index takes them.
    const QString a = QStringLiteral("coalesce(a.%1, x'')").arg(QLatin1String(column->key));
    const QString b = QStringLiteral("coalesce(b.%1, x'')").arg(QLatin1String(column->key));
    before = QStringLiteral("CASE WHEN %1 = %2 THEN %3 ELSE %1 %4 %2 END")
                 .arg(a, b, before, descending ? u">"_qs : u"<"_qs);
    statements_->sameKey = db->PrepareRaw(u"SELECT "_qs + a + u" = "_qs + b + pair, kSource);
  }
  statements_->before = db->PrepareRaw(u"SELECT "_qs + before + pair, kSource);
}

PlaceOrder::~PlaceOrder() = default;

namespace {

bool Ask(Statement& statement, qint64 a, qint64 b) {
  statement.Reset();
  statement.BindInt64(1, a);
  statement.BindInt64(2, b);
  const bool yes = statement.Step() && statement.Int64(0) != 0;
  statement.Reset();
  return yes;
}

}  // namespace

bool PlaceOrder::Placed(qint64 dvd) {
  Statement& placed = statements_->placed;
  placed.Reset();
  placed.BindInt64(1, dvd);
  const bool yes = placed.Number() > 0;
  placed.Reset();
  return yes;
}

bool PlaceOrder::Before(qint64 a, qint64 b) { return Ask(statements_->before, a, b); }

bool PlaceOrder::SameKey(qint64 a, qint64 b) {
  return statements_->sameKey.IsPrepared() && Ask(statements_->sameKey, a, b);
}

void PlaceOrder::PutBack(std::vector<qint64>& held, std::vector<qint64>* groups,
                         const std::vector<qint64>& written) {
  // Few are written: a range check settles nearly every held DVD without a look-up.
  std::vector<qint64> out = written;
  std::sort(out.begin(), out.end());
  const qint64 lowest = out.empty() ? 0 : out.front();
  const qint64 highest = out.empty() ? -1 : out.back();
  size_t kept = 0;
  for (size_t i = 0; i < held.size(); ++i) {
    if (held[i] >= lowest && held[i] <= highest &&
        std::binary_search(out.begin(), out.end(), held[i]))
      continue;
    held[kept] = held[i];
    if (groups) (*groups)[kept] = (*groups)[i];
    ++kept;
  }
  held.resize(kept);
  if (groups) groups->resize(kept);
  qint64 fresh = -1;
  for (const qint64 dvd : written) {
    if (!Placed(dvd)) continue;  // deleted
    const auto at = std::partition_point(held.begin(), held.end(),
                                         [&](qint64 shown) { return Before(shown, dvd); });
    const size_t place = size_t(at - held.begin());
    held.insert(at, dvd);
    if (!groups) continue;
    // Equal keys share their group with the neighbour they joined; a key of its own starts one.
    qint64 group = fresh--;
    if (place > 0 && SameKey(held[place - 1], dvd)) {
      group = (*groups)[place - 1];
    } else if (place + 1 < held.size() && SameKey(held[place + 1], dvd)) {
      group = (*groups)[place];
    }
    groups->insert(groups->begin() + qsizetype(place), group);
  }
}

bool ReadLoanRuns(Collection& collection, std::vector<LoanRun>& runs) {
  runs.clear();
  const DatabaseHandle& db = collection.Db();
  if (!MakeCurrent(collection)) return false;
  // The list's own index gives the groups in the list's order without a sort.
  Statement groups = db->PrepareRaw(
      QStringLiteral("SELECT min(DVD), count(*) FROM ListOrder GROUP BY Status, DueDate "
                     "ORDER BY Status DESC, DueDate"),
      kSource);
  while (groups.Step()) runs.push_back({groups.Int64(0), int(groups.Int64(1))});
  return true;
}

std::optional<QStringList> TitlesInTitleOrder(Collection& collection,
                                              std::optional<qint32> status) {
  const DatabaseHandle& db = collection.Db();
  if (!MakeCurrent(collection)) return std::nullopt;
  // The order from the title index, the titles from one pass over Inventory in its own order:
  // sorting a large collection's titles, or fetching them one by one in title order, costs
  // several times more.
  const std::vector<qint64> ordered =
      Ids(db->PrepareRaw(QStringLiteral("SELECT DVD FROM ListOrder ORDER BY TitleKey"), kSource));
  std::unordered_map<qint64, size_t> placeOf;
  std::vector<int> placeById;
  const qint64 maxId = ordered.empty() ? 0 : *std::max_element(ordered.begin(), ordered.end());
  const bool dense = maxId <= qint64(ordered.size()) * 4 + 4096;
  if (dense) placeById.assign(size_t(std::max<qint64>(maxId, 0)) + 1, -1);
  for (size_t p = 0; p < ordered.size(); ++p) {
    if (dense && ordered[p] >= 0) placeById[size_t(ordered[p])] = int(p);
    if (!dense) placeOf.emplace(ordered[p], p);
  }
  // Each title goes straight to its place; the places of other statuses are dropped after.
  QStringList titles(qsizetype(ordered.size()));
  QString* const placed = titles.data();
  std::vector<char> present(ordered.size(), 0);
  // The status compared in SQL, as the report's own statement compares it.
  Statement all = db->Prepare(
      status ? QStringLiteral("Select Inventory.rowid, Inventory.DVDTitle From Inventory Where "
                              "Inventory.Status = ") +
                   QString::number(*status)
             : QStringLiteral("Select Inventory.rowid, Inventory.DVDTitle From Inventory"),
      kSource);
  while (all.Step()) {
    const qint64 id = all.Int64(0);
    qint64 place = -1;
    if (dense) {
      place = id >= 0 && id <= maxId ? placeById[size_t(id)] : -1;
    } else if (const auto found = placeOf.find(id); found != placeOf.end()) {
      place = qint64(found->second);
    }
    if (place < 0) return std::nullopt;  // written since the index was read
    placed[place] = all.Text(1);
    present[size_t(place)] = 1;
  }
  qsizetype kept = 0;
  for (size_t p = 0; p < present.size(); ++p) {
    if (!present[p]) continue;
    if (kept != qsizetype(p)) placed[kept].swap(placed[p]);
    ++kept;
  }
  titles.resize(kept);
  return titles;
}

std::optional<int> CountOfStatus(Collection& collection, std::optional<qint32> status) {
  const DatabaseHandle& db = collection.Db();
  if (!MakeCurrent(collection)) return std::nullopt;
  if (!status)
    return int(db->QueryNumber(QStringLiteral("SELECT count(*) FROM ListOrder"), kSource));
  Statement count =
      db->PrepareRaw(QStringLiteral("SELECT count(*) FROM ListOrder WHERE Status = ?1"), kSource);
  count.Bind(1, *status);
  return int(count.Number());
}

QString TitleCondition(Collection& collection, const QString& title) {
  // Equal keys are equal titles: the same rows as the comparison, in rowid order too, as SQLite
  // walks a rowid In list in order.
  if (MakeCurrent(collection)) {
    return QStringLiteral(
               "Inventory.rowid In (Select DVD From ListOrder Where TitleKey = "
               "NoCaseKey(%1))")
        .arg(SqlText(title));
  }
  return QStringLiteral("Inventory.DVDTitle = ") + SqlText(title);
}

QString BarCodeCondition(Collection& collection, const QString& scanned) {
  if (MakeCurrent(collection)) {
    return QStringLiteral(
               "Inventory.rowid In (Select DVD From ListOrder Where BarCodeKey = "
               "NoCaseKey(%1))")
        .arg(SqlText(scanned));
  }
  return QStringLiteral("AsciiAlnum(Inventory.BarCode) = ") + SqlText(scanned) +
         QStringLiteral(" Collate NoCase");
}

std::optional<QString> OfStatusClause(Collection& collection, qint32 status) {
  if (!MakeCurrent(collection)) return std::nullopt;
  return QStringLiteral("Inventory.rowid In (Select DVD From ListOrder Where Status = %1)")
      .arg(status);
}

}  // namespace InventoryFunctions
