#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "app/DatabaseHandle.h"
#include "inventory/DVDRecord.h"

class Collection;

// The DVD list's own index: table ListOrder holds, per DVD (its rowid), the status, the due date
// a key of the title whose byte order is the engine's text order, and keys of the title,
// category, starring and rating in the list's sort order, so that the list's order, a title
// look-up and a sort by one of those columns are read from indexes instead of sorting the whole
// collection. Triggers on
// Inventory note every written row in table ListStale, whatever program writes it; the places
// of those rows are worked out again before the next read. Derived data only: the clean-up, or a
// file whose triggers are missing, rebuilds it from Inventory.
namespace InventoryFunctions {

// Makes sure of both tables, their indexes and the triggers; rebuilds the places when the file
// had none of them kept (an older file, or one another tool changed without them).
void CreateListOrderTable(const DatabaseHandle& db);
// Works out every DVD's place again from Inventory.
void RebuildListOrder(const DatabaseHandle& db);

// The rowids of every DVD in the list's order: lent DVDs first, then by due date, then by title.
// `readAt` is given the point at which the places were read, for PlacedSince; nothing when they
// could not be brought up to date and the order was read from Inventory.
std::vector<qint64> ListOrderIds(Collection& collection, std::optional<qint64>* readAt = nullptr);
// The DVDs placed again since `readAt` (written, added or deleted by anyone), the places brought
// up to date first, and `readAt` moved on; nothing when that is not known on this connection (the
// places were rebuilt or many were written at once) or more than `most` were.
std::optional<std::vector<qint64>> PlacedSince(Collection& collection, qint64& readAt, size_t most);

// Puts a few written DVDs back into an order held in memory by comparing kept places, so that a
// list need not read every place again. Throws DatabaseError.
class PlaceOrder {
 public:
  // The list's order; with a field that has kept keys, that column's order (descending when
  // asked), the list's order among equal keys, as the list's own sort has it.
  PlaceOrder(Collection& collection, std::optional<DVDField> field, bool descending);
  ~PlaceOrder();
  PlaceOrder(const PlaceOrder&) = delete;
  PlaceOrder& operator=(const PlaceOrder&) = delete;

  // Whether the DVD has a place (it was not deleted).
  bool Placed(qint64 dvd);
  bool Before(qint64 a, qint64 b);
  // Whether the field's keys of the two are equal (never without a field).
  bool SameKey(qint64 a, qint64 b);
  // Takes `written` out of `held`, which is in this order, and puts back those still there where
  // they now belong. `groups`, when given, numbers the runs of equal keys alongside `held`: a
  // DVD put back joins its neighbour's run when their keys are equal, or gets a negative number
  // of its own.
  void PutBack(std::vector<qint64>& held, std::vector<qint64>* groups,
               const std::vector<qint64>& written);

 private:
  struct Statements;
  std::unique_ptr<Statements> statements_;
};
// The rowids of the DVDs titled `title`, letter case ignored, accents kept.
std::vector<qint64> IdsOfTitle(Collection& collection, const QString& title);
// The rowids of the DVDs whose title starts with `prefix`, letter case ignored, accents kept (the
// list's type-ahead).
std::vector<qint64> IdsOfTitlesStartingWith(Collection& collection, const QString& prefix);

// The number of DVDs of a status due before `day`, counted on the index; nothing when the index
// cannot be brought up to date (the caller counts on Inventory then).
std::optional<int> CountDueBefore(Collection& collection, qint32 status, const QDate& day);

// Every DVD in the list's sort order of a column's texts, ascending, `sameText` telling whether a
// DVD's text sorts equal to the one before (equal texts come in no particular order). Nothing when
// no key of the field is kept or the keys cannot be brought up to date. `expected`: about how many
// DVDs there are.
struct SortedIds {
  std::vector<qint64> ids;
  std::vector<bool> sameText;
};
std::optional<SortedIds> ReadSortedIds(Collection& collection, DVDField field, size_t expected = 0);

// The titles of the DVDs of a status (of every DVD without one) in the engine's title order, as
// "Order By Inventory.DVDTitle" gives them; nothing when the index cannot be brought up to date.
std::optional<QStringList> TitlesInTitleOrder(Collection& collection, std::optional<qint32> status);

// The number of DVDs of a status (of every DVD without one), counted on the index; nothing when
// it cannot be brought up to date.
std::optional<int> CountOfStatus(Collection& collection, std::optional<qint32> status);
// A clause that keeps the DVDs of a status, for narrowing a statement on Inventory to them
// through the index; nothing when it cannot be brought up to date.
std::optional<QString> OfStatusClause(Collection& collection, qint32 status);
// A condition on Inventory that keeps the DVDs titled `title` (letter case ignored, accents
// kept), asked of the index when it can be brought up to date, compared row by row otherwise.
QString TitleCondition(Collection& collection, const QString& title);
// The same for the DVDs whose bar code, as a scan gives it, is `scanned` (letter case ignored;
// never empty).
QString BarCodeCondition(Collection& collection, const QString& scanned);

// The list's own order (ListOrderIds) as runs of DVDs of equal stored status and due date, each
// with one DVD of it and its length: the status cells of a run are all alike, and so are its due
// date cells unless the run is lent. False as ReadSortedIds.
struct LoanRun {
  qint64 dvd = 0;
  int count = 0;
};
bool ReadLoanRuns(Collection& collection, std::vector<LoanRun>& runs);

}  // namespace InventoryFunctions
