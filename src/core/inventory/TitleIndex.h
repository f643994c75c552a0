#pragma once

#include <QString>
#include <optional>

#include "app/DatabaseHandle.h"

class Collection;

// An index of every DVD's title by its runs of three characters (SQLite's trigram full-text
// index), over the title folded as the search's Like folds it. It answers which DVDs may hold a
// part of a title without reading every title; it only narrows a search, the Like still decides
// every row. Kept in step with Inventory like the list's order (inventory/DerivedRows).
namespace TitleIndex {

// Makes the index and its notes when missing, and builds it for a file that kept none (an older
// file, or a salvaged one).
void CreateTitleIndex(const DatabaseHandle& db);
// Works out every DVD's entry anew.
void RebuildTitleIndex(const DatabaseHandle& db);

// A condition on Inventory.rowid that every DVD whose title matches the Like pattern meets, and
// few others: nothing when the index cannot narrow (the pattern holds no run of three plain
// characters, or the index cannot be brought up to date now).
std::optional<QString> Narrowing(Collection& collection, const QString& pattern);

}  // namespace TitleIndex
