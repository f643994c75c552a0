#include "inventory/SearchQuery.h"

#include <array>

#include "data/Recordset.h"

namespace InventoryFunctions {

QString SearchClause(const SearchCriteria& criteria) {
  const std::array<std::pair<const char*, const QString*>, 5> columns = {{
      {"Inventory.DVDTitle", &criteria.title},
      {"Inventory.Category", &criteria.category},
      {"Inventory.Rated", &criteria.rated},
      {"Inventory.Starring", &criteria.starring},
      {"Inventory.Description", &criteria.description},
  }};
  const QString conjunction = criteria.matchAll ? QStringLiteral(" And ") : QStringLiteral(" Or ");
  QString clause;
  for (const auto& [column, text] : columns) {
    // Blanks are criteria too: only a box left empty is skipped.
    if (text->isEmpty()) continue;
    if (!clause.isEmpty()) clause += conjunction;
    clause += QLatin1String(column);
    // SqlText doubles the quotes inside; the stars around a partial text go inside the literal.
    clause += criteria.exactMatch ? QStringLiteral(" = ") + SqlText(*text)
                                  : QStringLiteral(" Like ") + SqlText(u'*' + *text + u'*');
  }
  return clause;
}

std::optional<DVDQuery> SearchQuery(const SearchCriteria& criteria) {
  const QString clause = SearchClause(criteria);
  if (clause.isEmpty()) return std::nullopt;
  return DVDQuery::Where(clause);
}

}  // namespace InventoryFunctions
