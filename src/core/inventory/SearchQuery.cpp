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
  DVDQuery query = DVDQuery::Where(clause);
  // Only a title part that every found DVD must hold can narrow: with Or, a DVD may be found by
  // another criterion alone.
  const bool titleAlone = criteria.category.isEmpty() && criteria.rated.isEmpty() &&
                          criteria.starring.isEmpty() && criteria.description.isEmpty();
  if (!criteria.exactMatch && !criteria.title.isEmpty() && (criteria.matchAll || titleAlone))
    query.titlePattern_ = u'*' + criteria.title + u'*';
  return query;
}

}  // namespace InventoryFunctions
