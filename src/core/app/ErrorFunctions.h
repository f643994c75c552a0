#pragma once

#include <QString>

class DatabaseError;

// The program's one error report: the message with the error's number, description and source,
// shown to the user and appended to the file "ErrorLog" in the current folder.
namespace ErrorFunctions {

// The text ShowError shows (lines separated by CR LF).
QString ErrorText(const QString& message, bool allowContinue, const DatabaseError& error);

// Shows the report. With allowContinue the user may go on (the report is then logged) or end
// the program at once; without it the report is shown with OK and then logged. Escape goes on:
// a stray key must not end the program.
void ShowError(const QString& message, bool allowContinue, const DatabaseError& error);

// Appends text and CR LF to "ErrorLog" in the current folder. Throws DatabaseError when the
// log cannot be written.
void LogError(const QString& text);

// Ends the process at once: no window is unloaded and nothing is saved.
[[noreturn]] void EndProcessNow();

// An error that ends the program: "Error Number: n", a line break and the description, in a box
// titled "Error".
QString FatalText(const DatabaseError& error);
void ReportFatal(const DatabaseError& error);

// Another program holds the database file (SQLite's busy or locked): a passing condition, worth
// a retry once the other program is done.
bool IsBusy(const DatabaseError& error);
// The program's own file is damaged (SQLite's "malformed"): the clean-up's salvage may help.
bool IsDamaged(const DatabaseError& error);

// "The collection is in use by another program: ...", the file, and what the user can do;
// `afterwards` is the last sentence (what happens next).
QString BusyText(const DatabaseError& error, const QString& path, const QString& afterwards);

// Faults the user can mend while the program goes on: the command under way has been rolled
// back, and the same command works once the cause is gone.
enum class PassingFault {
  None,      // not one of them
  Busy,      // another program holds the file
  DiskFull,  // no room left on the disk (or the user's share of it)
  ReadOnly,  // the file or its folder was made read-only while the program ran
};
PassingFault PassingFaultOf(const DatabaseError& error);
bool IsPassing(const DatabaseError& error);

// The passing fault in plain words: what happened, the file, what to do, then `afterwards`.
QString PassingText(const DatabaseError& error, const QString& path, const QString& afterwards);

}  // namespace ErrorFunctions
