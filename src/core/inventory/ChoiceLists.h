#pragma once

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

#include "app/DatabaseHandle.h"
#include "inventory/DVDRecord.h"

// The choice lists of the Add/Edit and search dialogs: the distinct stored categories, ratings,
// stars and titles, in the engine's order, each shown as the grouping statement of its column
// shows it. A large collection has hundreds of thousands of them, so they are never held whole:
// table ChoiceKeys keeps, per DVD, a key of each of the four texts whose byte order is the
// engine's text order, with an index per column, and a dialog reads the values a screenful at a
// time and asks the index for what the user types. Triggers on Inventory note every written row
// in table ChoiceStale, whatever program writes it; those rows' keys are worked out again before
// the next read. Derived data only: the clean-up, or a file without the triggers, rebuilds it.
namespace ChoiceLists {

// One value of a list and the key it is ordered by.
struct Choice {
  QString value;
  QByteArray key;
};

// Makes sure of both tables, the indexes and the triggers; rebuilds the keys when the file had
// none of them kept (an older file, or one another tool changed without them).
void CreateChoiceKeysTable(const DatabaseHandle& db);
// Works out every DVD's keys again from Inventory.
void RebuildChoiceKeys(const DatabaseHandle& db);

// Up to `count` values of Category, Rated, Starring or Title that follow the one keyed `after`
// (an empty key: from the first), in order; empty and absent values are never listed.
std::vector<Choice> ValuesAfter(InventoryFunctions::DVDField field, const QByteArray& after,
                                int count);
// The first value in the list's order whose first characters are `typed`, letter case ignored.
std::optional<QString> FirstStartingWith(InventoryFunctions::DVDField field, const QString& typed);

}  // namespace ChoiceLists
