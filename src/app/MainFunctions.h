#pragma once

#include <QString>
#include <QStringList>

#include "data/Database.h"

class Collection;
class ReelKeeperFrm;

// The program's spine: the order in which the scanner, the database, the table owners and the
// main window come up and go down, and the one shutdown sequence every way out runs.
namespace MainFunctions {

// How the command line asks the program to start.
enum class StartMode {
  Normal,     // check for overdue loans, then show the window whatever the check found
  NoCheck,    // "NOCHECK": no check
  CheckOnly,  // "CHECKONLY": show the window only when the check offered the report
};

// The whole argument text, upper-cased, decides; "checkonly" followed by anything else is a
// normal start.
StartMode StartModeFor(const QString& argumentText);
// The arguments after the program's name, joined by blanks.
QString ArgumentText(const QStringList& arguments);

// How a start ended.
enum class Started {
  Shown,     // the main window is shown; the program runs on its events
  Finished,  // nothing to show: another copy runs, or a check-only start found nothing
  Declined,  // the user chose not to go on (a damaged or busy file); nothing was changed
};

// Takes the single-instance lock and starts the program, or tells the user that another copy
// runs. Start-up failures propagate as DatabaseError. An empty path: the program's own file
// (AppFunctions::DatabasePath); tests give one of theirs.
Started Main(const QString& databasePath = QString());
// Scanner, database, tables, main window (loaded hidden), the overdue check, then the window is
// shown (unless a check-only start found nothing). A busy file may be tried again and a damaged
// one repaired, as the user chooses.
Started StartProgram(const QString& databasePath = QString());
// The one shutdown sequence: the background check, the scanner, the database, the lock. The last
// step of the main window's unload, and the end of a failed start and of a fatal error. Safe to
// run more than once.
void EndProgram();

// The program's one collection, which the main window and every window it opens work on.
Collection& ProgramCollection();

// Main, then the event loop while the main window is shown; tidies up afterwards. The exit
// status: 0, or 1 after a start-up failure or a start the user declined.
int RunProgram(const QString& databasePath = QString());

// A logout or kill asks the program to end: open message boxes and dialogs are answered as if
// the user had pressed Escape, the handler that opened them finishes with the database still
// open, and then the main window closes as for any close (layout saved, exit status 0).
void EndOnRequest();

// Closes the database, salvages the file, opens it again and has the main window show what was
// kept. Offered when the background check finds the running program's file damaged.
void RepairWhileRunning();

// The main window while the program runs; nullptr before start-up and after RunProgram.
ReelKeeperFrm* MainWindow();

}  // namespace MainFunctions
