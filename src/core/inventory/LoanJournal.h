#pragma once

#include <QDate>
#include <QString>
#include <functional>
#include <vector>

#include "app/DatabaseHandle.h"

class Collection;

// The loan history: table Loans keeps one row per loan, beside Inventory, which forgets a loan
// when the DVD comes back. Its writes run inside the Inventory write they belong to (the
// caller's transaction), so that the two tables never disagree. Rows are kept when a DVD or a
// borrower is deleted: the history is about what happened.
namespace InventoryFunctions {

// Makes or extends table Loans. A file that had no Loans table yet gets an open loan for every
// DVD that is out (status 1), from its borrower and dates, in the same transaction as the
// table; a file that has the table is never filled again.
void InitLoanJournal(const DatabaseHandle& db);

// Tests only: called once the first start's loans are written and not yet committed.
void SetLoanJournalStartHook(std::function<void()> hook);

struct Loan {
  qint64 id = 0;  // the table's own key, which stays with the loan
  QString title;
  QString name;
  QDate out;
  QDate firstDue;  // the due date the loan was given
  QDate due;       // the due date now
  QDate returned;  // invalid while the DVD is out
  qint32 reminders = 0;
  QDate lastReminded;
  bool IsOpen() const { return !returned.isValid(); }
};

// Whole days after the due date at which the DVD came back (for an open loan, today); 0 when
// it was back in time.
int DaysLate(const Loan& loan, const QDate& today);
// Whole days from the out date to the return (for an open loan, to today).
int DaysOut(const Loan& loan, const QDate& today);

// The writes. Each runs inside the caller's transaction; titles compare without letter case.
// A new loan: an earlier loan of the title still open (the DVD was taken back by another
// program) ends on the new loan's out date.
void JournalLend(Collection& collection, const QString& title, const QString& name,
                 const QDate& out, const QDate& due);
// The open loan's borrower, out date and current due date (a new loan when none is open).
void JournalChangeLoan(Collection& collection, const QString& title, const QString& name,
                       const QDate& out, const QDate& due);
// Ends the title's open loan on `returned`.
void JournalReturn(Collection& collection, const QString& title, const QDate& returned);
// A renamed DVD keeps its loans.
void JournalRename(Collection& collection, const QString& from, const QString& to);

// The loans of a DVD or of a borrower, newest first.
std::vector<Loan> LoansOfDVD(Collection& collection, const QString& title);
std::vector<Loan> LoansOfBorrower(Collection& collection, const QString& name);
// Every loan, newest first (the history's export).
std::vector<Loan> AllLoans(Collection& collection);
// The open loans of DVDs that are out now (status 1): a DVD deleted while out keeps its open
// loan in the history, but nobody is waiting for it to come back.
std::vector<Loan> LoansOut(Collection& collection);

struct LoanSummary {
  int loans = 0;
  int daysOut = 0;
  int late = 0;      // loans back after their due date, or still out past it
  int daysLate = 0;  // the late loans' days late, added up
};
LoanSummary Summarize(const std::vector<Loan>& loans, const QDate& today);
// "Lent 3 times, 24 days out in all, late 1 time"
QString DVDSummaryText(const LoanSummary& summary);
// "Borrowed 3, late 1, on average 2.5 days late": the average over the late loans.
QString BorrowerSummaryText(const LoanSummary& summary);

}  // namespace InventoryFunctions
