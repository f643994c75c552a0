#pragma once

#include <QString>

class Collection;

// The loans out as a calendar file (LoanCalendar) that a calendar program imports or subscribes
// to, and the setting that keeps one such file up to date after every lend, loan change and
// return.
namespace CalendarFeed {

// Days before a due date at which the calendar reminds: as many as the reminders look ahead
// (setting "ReminderDays", 2).
int AlarmDays(Collection& collection);

// Writes the loans out now to path. Empty on success, else the reason.
QString Write(Collection& collection, const QString& path);

// The file kept up to date (setting "CalendarFile"); empty when none is.
QString KeptFile(Collection& collection);
void SetKeptFile(Collection& collection, const QString& path);

// From now on every committed write to the DVDs rewrites the kept file, if there is one. A
// failure is logged to "ErrorLog": the write the user made has succeeded, and the next one
// tries again. Calling it again changes nothing.
void Follow(Collection& collection);

}  // namespace CalendarFeed
