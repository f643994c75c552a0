#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

class Collection;

// Reminders to borrowers: who has DVDs overdue or soon due, the text that asks for them back,
// and the journal of reminders sent. Everything is read from the collection when it is asked
// for, so that a DVD returned meanwhile is never in a reminder.
namespace Reminders {

// One DVD a borrower has out.
struct DueDVD {
  QString title;
  QDate due;
  int daysOverdue = 0;  // negative while it is not due yet: -1 is due tomorrow
};

// A borrower with DVDs to remind them of, the soonest due first.
struct Borrower {
  QString name;
  QString email;  // from the phone book; empty when there is none
  std::vector<DueDVD> dvds;
  int reminders = 0;   // reminders sent for the DVDs listed, the most for any of them
  QDate lastReminded;  // invalid when never reminded of them
};

// Every borrower with a DVD out (status 1) that is overdue or due within `withinDays` days of
// today, by name. A DVD out without a borrower's name has nobody to remind and is left out.
std::vector<Borrower> DueBorrowers(Collection& collection, const QDate& today, int withinDays);
// The one borrower as DueBorrowers would list them; no DVDs when there is nothing to remind
// them of any more.
Borrower DueBorrower(Collection& collection, const QString& name, const QDate& today,
                     int withinDays);

// "reminded today", "reminded yesterday", "reminded 3 days ago", "never reminded".
QString RemindedText(const QDate& lastReminded, const QDate& today);
// "12/30/2026, 2 days overdue", "12/30/2026, due today", "12/30/2026, due in 1 day".
QString DueText(const DueDVD& dvd);

// The window's setting: how many days ahead a DVD counts as due (default 2).
int WithinDays(Collection& collection);
void SetWithinDays(Collection& collection, int days);
// The user's letter, with the fields {name}, {dvds} and {today}; the friendly default when the
// user has none.
QString Template(Collection& collection);
QString DefaultTemplate();
// An empty text or the default goes back to the default (nothing stored).
void SetTemplate(Collection& collection, const QString& text);

// The letter for the borrower: the template with its fields filled in. The DVD list is one line
// per DVD ("- Title (due ...)"); lines end in a line feed.
QString FillTemplate(const QString& text, const Borrower& borrower, const QDate& today);
QString Subject(const Borrower& borrower);
// A mailto: address with the borrower's address, the subject and the letter, every part
// percent-encoded (so that an ampersand or a plus in a title stays text).
QString MailtoUrl(const Borrower& borrower, const QString& subject, const QString& body);

// Notes in the journal, in one transaction, that the borrower was reminded today of the DVDs
// listed (their open loans), and announces the change under the borrower's name.
void RecordReminder(Collection& collection, const Borrower& borrower, const QDate& today);

}  // namespace Reminders
