#include "inventory/ChoiceLists.h"

#include <QObject>
#include <algorithm>
#include <array>
#include <atomic>
#include <optional>
#include <thread>

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "data/Database.h"
#include "inventory/InventoryFunctions.h"

namespace ChoiceLists {
namespace {

using InventoryFunctions::DVDField;
using InventoryFunctions::InventoryMark;

constexpr std::array<DVDField, 4> kFields = {DVDField::Category, DVDField::Rated,
                                             DVDField::Starring, DVDField::Title};
using Lists = std::array<std::optional<QStringList>, kFields.size()>;

// One reading ahead at a time. The context object receives the worker's lists on the
// user-interface thread; deleting it drops lists that have not been delivered yet.
struct Reader {
  std::atomic<bool> stop{false};
  std::unique_ptr<QObject> context = std::make_unique<QObject>();
  std::thread worker;
  ~Reader() {
    stop = true;
    if (worker.joinable()) worker.join();
  }
};

// What the lists keep about one collection.
struct Held {
  explicit Held(Collection& collection);
  Collection& collection;
  InventoryMark mark;
  Lists lists;
  std::unique_ptr<Reader> reader;
  // Set by the first ReadAhead: from then on the lists are read again after every change the
  // program could not take in, so that the next dialog finds them ready.
  bool keepReady = false;
  QObject listening;  // the change notice's connections end with the collection
};

int Slot(DVDField field) {
  return int(std::find(kFields.begin(), kFields.end(), field) - kFields.begin());
}

const QString& FieldText(const Changes::CatalogueValues& dvd, DVDField field) {
  switch (field) {
    case DVDField::Category:
      return dvd.category;
    case DVDField::Rated:
      return dvd.rated;
    case DVDField::Starring:
      return dvd.starring;
    default:
      return dvd.title;
  }
}

bool Before(const QString& a, const QString& b) {
  return InventoryFunctions::CompareText(a, b) < 0;
}

// The item standing for `value`'s group (letter case ignored), or the end.
QStringList::iterator GroupOf(QStringList& list, const QString& value) {
  const auto at = std::lower_bound(list.begin(), list.end(), value, Before);
  return at != list.end() && InventoryFunctions::SameTitle(*at, value) ? at : list.end();
}

// The group of `value` after the write, as the engine now shows it.
void Refresh(Collection& collection, QStringList& list, DVDField field, const QString& value) {
  const std::optional<QString> shown =
      InventoryFunctions::DistinctValueOf(collection, field, value);
  const auto at = GroupOf(list, value);
  if (at != list.end()) {
    if (shown) {
      *at = *shown;
    } else {
      list.erase(at);
    }
  } else if (shown) {
    list.insert(std::lower_bound(list.begin(), list.end(), *shown, Before), *shown);
  }
}

// Starts keeping lists that show the table as it stands now.
void KeepFrom(Held& kept, const InventoryMark& now) {
  if (now != kept.mark) {
    kept.mark = now;
    kept.lists = {};
  }
}

// Lists read on another connection since `start`: they show the table now if it has not moved.
void Adopt(Held& kept, const InventoryMark& start, const Lists& lists) {
  if (InventoryFunctions::CurrentInventoryMark(kept.collection) != start) return;
  KeepFrom(kept, start);
  for (size_t slot = 0; slot < kFields.size(); ++slot) {
    if (!kept.lists[slot]) kept.lists[slot] = lists[slot];
  }
}

// Takes in a write whose only change to the four columns was one DVD's going from `before` to
// `after` (an added DVD has no before); `start` is where the table stood just before the write.
void TakeIn(Held& kept, const InventoryMark& start, const Changes::CatalogueValues* before,
            const Changes::CatalogueValues& after) {
  if (start != kept.mark) return;
  for (size_t slot = 0; slot < kFields.size(); ++slot) {
    std::optional<QStringList>& list = kept.lists[slot];
    if (!list) continue;
    const DVDField field = kFields[slot];
    const QString& now = FieldText(after, field);
    const QString was = before ? FieldText(*before, field) : QString();
    if (was == now) continue;
    // A value only ever added to a group alone of its spelling needs no look-up; any other
    // change asks the engine what the group now shows.
    const bool sameGroup = !was.isEmpty() && InventoryFunctions::SameTitle(was, now);
    if (!now.isEmpty()) {
      const auto at = GroupOf(*list, now);
      if (at == list->end()) {
        list->insert(std::lower_bound(list->begin(), list->end(), now, Before), now);
      } else if (*at != now || sameGroup) {
        Refresh(kept.collection, *list, field, now);
      }
    }
    if (!was.isEmpty() && !sameGroup) Refresh(kept.collection, *list, field, was);
  }
  kept.mark = InventoryFunctions::CurrentInventoryMark(kept.collection);
}

// A write that left the four columns as they were (a loan, a return).
void Untouched(Held& kept, const InventoryMark& start) {
  if (start == kept.mark) kept.mark = InventoryFunctions::CurrentInventoryMark(kept.collection);
}

void OnDVDsChanged(Held& kept, const Changes::DVDs& change) {
  // A change to another collection's DVDs leaves where this one stands as it was.
  if (change.catalogueKept) {
    Untouched(kept, change.before);
  } else if (change.now) {
    TakeIn(kept, change.before, change.was ? &*change.was : nullptr, *change.now);
  }
  if (kept.keepReady) ReadAhead(kept.collection);
}

// The lists follow the change notice from their first use: a clean-up or a repair replaces the
// file, and they are read ahead again at once.
Held::Held(Collection& collection) : collection(collection) {
  ChangeNotice& notice = ChangeNotice::Instance();
  QObject::connect(&notice, &ChangeNotice::DVDsChanged, &listening,
                   [this](const Changes::DVDs& change) { OnDVDsChanged(*this, change); });
  QObject::connect(&notice, &ChangeNotice::EverythingChanged, &listening,
                   [this] { ReadAhead(this->collection); });
}

}  // namespace

QStringList Values(Collection& collection, DVDField field) {
  const int slot = Slot(field);
  if (slot >= int(kFields.size())) return InventoryFunctions::DistinctValues(collection, field);
  Held& kept = collection.Kept<Held>();
  KeepFrom(kept, InventoryFunctions::CurrentInventoryMark(collection));
  std::optional<QStringList>& list = kept.lists[size_t(slot)];
  if (!list) list = InventoryFunctions::DistinctValues(collection, field);
  return *list;
}

void ReadAhead(Collection& collection) {
  Held& kept = collection.Kept<Held>();
  kept.keepReady = true;
  const DatabaseHandle& db = collection.Db();
  if (!db || !db->IsOpen()) return;
  const InventoryMark start = InventoryFunctions::CurrentInventoryMark(collection);
  KeepFrom(kept, start);
  std::vector<DVDField> missing;
  for (size_t slot = 0; slot < kFields.size(); ++slot) {
    if (!kept.lists[slot]) missing.push_back(kFields[slot]);
  }
  if (missing.empty()) return;
  StopReadingAhead(collection);
  kept.reader = std::make_unique<Reader>();
  Reader* const running = kept.reader.get();
  const QString path = db->Name();
  Held* const keeping = &kept;
  running->worker = std::thread([running, keeping, path, start, missing] {
    Lists lists;
    try {
      // A connection of the program's own (its collation and Like), which only reads.
      const DatabaseHandle own = Database::Open(path);
      own->StopWhen(&running->stop);
      for (const DVDField field : missing) {
        lists[size_t(Slot(field))] = InventoryFunctions::DistinctValues(field, own);
      }
    } catch (const DatabaseError&) {
      // Stopped, or the file cannot be read now: the dialog reads its lists itself.
      return;
    }
    QMetaObject::invokeMethod(
        running->context.get(), [keeping, start, lists] { Adopt(*keeping, start, lists); },
        Qt::QueuedConnection);
  });
}

void StopReadingAhead(Collection& collection) { collection.Kept<Held>().reader.reset(); }

bool Ready(Collection& collection) {
  const Held& kept = collection.Kept<Held>();
  return kept.mark == InventoryFunctions::CurrentInventoryMark(collection) &&
         std::all_of(kept.lists.begin(), kept.lists.end(),
                     [](const std::optional<QStringList>& list) { return list.has_value(); });
}

}  // namespace ChoiceLists

QStringList InventoryFunctions::ChoiceValues(Collection& collection, DVDField field) {
  return ChoiceLists::Values(collection, field);
}
