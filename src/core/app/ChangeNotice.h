#pragma once

#include <QObject>
#include <QStringList>
#include <optional>

// What a committed write changed, announced once on the one notice that every view, list and
// cache showing the collection listens to. Writers announce inside a batch: nothing is heard
// until the write's transaction has committed, and a write that rolls back is never heard of.
namespace Changes {

// Where a table stands: the mark moves with every row written on the program's own connection
// and with every commit of another connection or program. A view filled at one mark still shows
// the table while the mark stays the same.
struct TableMark {
  quint64 connection = 0;  // which connection: a new one (after a clean-up, say) gets a new number
  qint64 changes = 0;      // rows of the table written on it
  qint64 dataVersion = 0;
  bool operator==(const TableMark&) const = default;
};

// The values of a DVD that the lists of distinct values (categories, ratings, stars, titles)
// are made of.
struct CatalogueValues {
  QString title;
  QString category;
  QString rated;
  QString starring;
};

// A write to table Inventory.
struct DVDs {
  QStringList titles;  // every title the write touched: a renamed DVD's old and new one
  TableMark before;    // the table just before the batch's first write
  TableMark after;     // and right after its last
  // A single add or edit: the catalogue values before (none for an add) and after.
  std::optional<CatalogueValues> was;
  std::optional<CatalogueValues> now;
  // The write left every catalogue value as it was (a loan, a return).
  bool catalogueKept = false;
};

}  // namespace Changes

// The one notice. Its signals are emitted on the user-interface thread, after the commit.
class ChangeNotice final : public QObject {
  Q_OBJECT

 public:
  static ChangeNotice& Instance();

 signals:
  void DVDsChanged(const Changes::DVDs& change);
  // Phone book entries written or deleted, by the names written.
  void BorrowersChanged(const QStringList& names);
  // Settings written, by name.
  void SettingsChanged(const QStringList& names);
  // The file was replaced or rebuilt (a clean-up, a repair, a restore): read everything again.
  void EverythingChanged();

 private:
  ChangeNotice() = default;
};

namespace Changes {

void Announce(const DVDs& change);
void AnnounceBorrowers(const QStringList& names);
void AnnounceSettings(const QStringList& names);
void AnnounceEverything();

// Holds back what the writes inside it announce. The outermost batch announces it on Commit,
// once per kind and merged (so an import of many DVDs is one change); a batch that ends without
// Commit forgets it. Batches nest, as transactions do: open one beside each transaction.
class Batch {
 public:
  Batch();
  ~Batch();
  Batch(const Batch&) = delete;
  Batch& operator=(const Batch&) = delete;
  void Commit();

 private:
  bool done_ = false;
};

}  // namespace Changes
