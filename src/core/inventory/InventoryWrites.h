#pragma once

#include <QDate>
#include <QString>

#include "inventory/DVDRecord.h"

namespace CustomerFunctions {
struct Customer;
}

// The writes a user makes to the DVDs. Each is one transaction that checks its own rules and
// answers with an outcome, which the window turns into its message; after the commit the change
// notice tells every list and view what changed. Nothing is written when the outcome is not
// Saved. Database failures propagate as DatabaseError, with nothing written.
namespace InventoryFunctions {

enum class DVDOutcome {
  Saved,
  TitleMissing,  // a DVD needs a title
  TitleTaken,    // another DVD has that title (letter case ignored)
  BarCodeTaken,  // another DVD has that bar code
  NameMissing,   // a loan needs the borrower's name
  Gone,          // the DVD is no longer there (deleted meanwhile, or by another program)
};

// What a loan dialog showed when it opened: a write can be refused when the DVD has moved on
// since (lent or returned meanwhile). The loan writes take it already; none refuses on it yet.
struct LoanSeen {
  qint32 status = 0;
  QString borrower;
};

// A new DVD with its six catalogue fields; the loan columns take the table's defaults, so it is in
// stock. Refused when its title or (a non-empty) bar code is another DVD's.
DVDOutcome AddDVD(const DVDRecord& dvd);
// Writes the six catalogue fields over the first DVD titled `title`. A new title may not be
// another DVD's; the edited DVD itself does not count, so a title whose letter case alone changed
// is taken. A bar code may not be another DVD's. A renamed DVD keeps its loan history.
DVDOutcome UpdateDVD(const QString& title, const DVDRecord& dvd);
// Deletes every DVD titled `title`.
DVDOutcome DeleteDVD(const QString& title);
// Lends the first DVD titled `title` to the borrower (status 1, the two dates) and adds the
// borrower to the phone book, or updates the stored entry's fields (its name stays as stored).
// Both writes or neither, and the loan history gains the loan.
DVDOutcome LendDVD(const QString& title, const CustomerFunctions::Customer& borrower,
                   const QDate& outDate, const QDate& dueDate, const LoanSeen& seen = {});
// The same writes over a DVD already lent: who has it and until when; its open loan in the
// history follows.
DVDOutcome ChangeLoan(const QString& title, const CustomerFunctions::Customer& borrower,
                      const QDate& outDate, const QDate& dueDate, const LoanSeen& seen = {});
// Takes the first DVD titled `title` back: status 0, no borrower; the dates stay. Its open loan
// in the history ends today.
DVDOutcome ReturnDVD(const QString& title, const LoanSeen& seen = {});

}  // namespace InventoryFunctions
