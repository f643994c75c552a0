#pragma once

#include <QString>
#include <optional>

#include "inventory/InventoryRecords.h"

// The search dialog's statement: up to five criteria, matched exactly or as part of the column,
// all of them or any of them.
namespace InventoryFunctions {

struct SearchCriteria {
  // Each text exactly as typed; an empty text is left out of the search.
  QString title{}, category{}, rated{}, starring{}, description{};
  // Whole values (=) instead of parts (Like '*text*').
  bool exactMatch = false;
  // Every filled criterion must match (And) rather than any one of them (Or).
  bool matchAll = true;
};

// One piece per filled criterion, in the order title, category, rated, starring, description,
// joined by " And " or " Or "; empty when nothing is filled. Every text enters as a literal with
// its single quotes doubled, so no typed text can end the literal. In a partial match the
// pattern characters * ? # [ ] keep their meaning; an exact match compares them as plain text.
QString SearchClause(const SearchCriteria& criteria);

// The DVDs of the clause by title; nothing when no criterion is filled.
std::optional<DVDQuery> SearchQuery(const SearchCriteria& criteria);

}  // namespace InventoryFunctions
