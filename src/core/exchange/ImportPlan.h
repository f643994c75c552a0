#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "exchange/ImportMapping.h"
#include "inventory/DVDRecord.h"

// The dry run of an import: what each mapped row would do to the collection, decided before
// anything is written. It knows the collection only through the look-ups passed in.
namespace ImportPlan {

// What to do with a row whose title or bar code (a borrower: whose name) the collection has.
enum class Duplicates { Skip, Update };

enum class Action {
  Add,       // a new DVD or borrower
  Update,    // overwrite the existing one named in `existing` (found by its bar code, it takes
             // the row's title)
  Skip,      // the existing one named in `existing` stays as it is
  Unusable,  // `reason` says why; also a repeat of an earlier row of the same file
};

struct PlannedRow {
  int line = 0;
  qsizetype row = 0;  // index into the mapped rows
  Action action = Action::Add;
  QString existing;  // Update and Skip: the title (or name) of the collection's entry
  QString reason;    // Unusable: why, for the user, naming the line
};

struct Plan {
  std::vector<PlannedRow> rows;
  int adds = 0, updates = 0, skips = 0, unusable = 0;
};

struct ExistingDvd {
  QString title;
  QString barCode;
};

// A bar code as compared: letters and digits only, upper case ("0 12345-67890 5" is
// "012345678905"). Empty when nothing is left.
QString CleanBarCode(const QString& code);

// A title is required (trimmed); a row matches an existing DVD by title (letter case ignored)
// or by bar code (cleaned); mapped status and dates must be readable (a whole number; an ISO
// 8601 date).
Plan PlanDvds(const std::vector<ImportMapping::MappedRow>& rows,
              const std::vector<ExistingDvd>& existing, Duplicates duplicates);
// A name is required (trimmed); a row matches an existing borrower by name, letter case ignored.
Plan PlanBorrowers(const std::vector<ImportMapping::MappedRow>& rows,
                   const QStringList& existingNames, Duplicates duplicates);

// What a row that the plan adds or updates writes: the title and the short texts trimmed, the
// status as its number (0 when blank), the dates at midnight (invalid when blank). The
// description keeps its line breaks.
InventoryFunctions::DVDRecord DvdRecordOf(const ImportMapping::MappedRow& row);

}  // namespace ImportPlan
