#pragma once

#include <QString>
#include <functional>
#include <vector>

#include "exchange/ImportMapping.h"
#include "exchange/ImportPlan.h"
#include "phonebook/CustomerRecords.h"

class Collection;

// An import's dry run against the collection, and its writing: every row through the same write
// operations the dialogs use, all in one transaction, so that a file is taken whole or not at all
// and the lists hear of it once.
namespace ImportWrites {

// The import's field of a phone book entry's field.
ImportMapping::BorrowerField BorrowerFieldOf(CustomerFunctions::Field field);

// The dry run against what the collection holds now.
ImportPlan::Plan PlanDvds(Collection& collection, const std::vector<ImportMapping::MappedRow>& rows,
                          ImportPlan::Duplicates duplicates);
ImportPlan::Plan PlanBorrowers(Collection& collection,
                               const std::vector<ImportMapping::MappedRow>& rows,
                               ImportPlan::Duplicates duplicates);

enum class Status {
  Written,    // every row the plan adds or updates is written
  Cancelled,  // the user stopped it: nothing is written
  Refused,    // a row broke a rule after all (another program wrote meanwhile): nothing is written
};

struct Result {
  Status status = Status::Refused;
  int added = 0, updated = 0, skipped = 0;
  QString message;  // Refused: why, naming the line
};

// Told now and then how far the writing is; false stops it with nothing written.
using Progress = std::function<bool(qsizetype done, qsizetype total)>;

// Adds and updates as planned. An update overwrites the fields the row gives (not blank) and
// keeps the others; the loan of a DVD that is updated stays as the collection has it, while a
// new DVD takes the file's status, borrower and dates. Database failures propagate as
// DatabaseError, with nothing written.
Result WriteDvds(Collection& collection, const std::vector<ImportMapping::MappedRow>& rows,
                 const ImportPlan::Plan& plan, const Progress& progress = {});
Result WriteBorrowers(Collection& collection, const std::vector<ImportMapping::MappedRow>& rows,
                      const ImportPlan::Plan& plan, const Progress& progress = {});

}  // namespace ImportWrites
