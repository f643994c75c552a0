#include "inventory/ChoiceLists.h"

#include <algorithm>
#include <array>
#include <optional>

namespace ChoiceLists {
namespace {

using InventoryFunctions::DVDField;

constexpr std::array<DVDField, 3> kFields = {DVDField::Category, DVDField::Rated,
                                             DVDField::Starring};

struct Kept {
  InventoryFunctions::InventoryMark mark;
  std::array<std::optional<QStringList>, 3> lists;
};
Kept kept;

int Slot(DVDField field) {
  return int(std::find(kFields.begin(), kFields.end(), field) - kFields.begin());
}

const QString& FieldText(const InventoryFunctions::DVDRecord& dvd, DVDField field) {
  switch (field) {
    case DVDField::Category:
      return dvd.category;
    case DVDField::Rated:
      return dvd.rated;
    default:
      return dvd.starring;
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
void Refresh(QStringList& list, DVDField field, const QString& value) {
  const std::optional<QString> shown = InventoryFunctions::DistinctValueOf(field, value);
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

}  // namespace

QStringList Values(DVDField field) {
  const int slot = Slot(field);
  if (slot >= int(kFields.size())) return InventoryFunctions::DistinctValues(field);
  const InventoryFunctions::InventoryMark now = InventoryFunctions::CurrentInventoryMark();
  if (now != kept.mark) kept = Kept{now, {}};
  std::optional<QStringList>& list = kept.lists[size_t(slot)];
  if (!list) list = InventoryFunctions::DistinctValues(field);
  return *list;
}

void TakeIn(const InventoryFunctions::InventoryMark& start,
            const InventoryFunctions::DVDRecord* before,
            const InventoryFunctions::DVDRecord& after) {
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
        Refresh(*list, field, now);
      }
    }
    if (!was.isEmpty() && !sameGroup) Refresh(*list, field, was);
  }
  kept.mark = InventoryFunctions::CurrentInventoryMark();
}

void Untouched(const InventoryFunctions::InventoryMark& start) {
  if (start == kept.mark) kept.mark = InventoryFunctions::CurrentInventoryMark();
}

}  // namespace ChoiceLists
