#pragma once

#include <QString>

class DatabaseError;

// The program's one error report: the message with the error's number, description and source,
// shown to the user and appended to the file "ErrorLog" in the current folder.
namespace ErrorFunctions {

// The text ShowError shows (lines separated by CR LF).
QString ErrorText(const QString& message, bool allowContinue, const DatabaseError& error);

// Shows the report. With allowContinue the user may go on (the report is then logged) or end
// the program at once; without it the report is shown with OK and then logged.
void ShowError(const QString& message, bool allowContinue, const DatabaseError& error);

// Appends text and CR LF to "ErrorLog" in the current folder. Throws DatabaseError when the
// log cannot be written.
void LogError(const QString& text);

// Ends the process at once: no window is unloaded and nothing is saved.
[[noreturn]] void EndProcessNow();

}  // namespace ErrorFunctions
