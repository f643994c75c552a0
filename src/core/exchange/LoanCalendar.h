#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <vector>

// The open loans as an iCalendar file (RFC 5545), built with libical: one all-day event per loan
// on its due date, with a reminder some days before.
namespace LoanCalendar {

struct Loan {
  QString key;  // stable for the life of the loan: its event keeps its UID when the due date moves
  QString title;
  QString borrower;
  QDate due;
};

// The event's UID for a loan key.
QString Uid(const QString& loanKey);

// "Return <title> (<borrower>)" on each due date, an alarm alarmDaysBefore days before it;
// stamp is the moment the file is made (DTSTAMP). Loans without a due date are left out.
QByteArray Build(const std::vector<Loan>& loans, int alarmDaysBefore, const QDateTime& stamp);

// Builds and writes the file through a temporary name renamed into place. Empty on success,
// else the reason.
QString Save(const QString& path, const std::vector<Loan>& loans, int alarmDaysBefore,
             const QDateTime& stamp);

}  // namespace LoanCalendar
