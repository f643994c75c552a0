#pragma once

#include <QString>
#include <QStringList>

#include "app/DatabasePath.h"
#include "app/InstanceLock.h"
#include "data/Database.h"

class ReelKeeperFrm;

// The program's spine: the order in which the scanner, the database, the table owners and the
// main window come up and go down.
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

// Takes the single-instance lock and starts the program, or tells the user that another copy
// runs. Start-up failures propagate as DatabaseError.
void Main();
// Scanner, database, tables, main window (loaded hidden), the overdue check, then the window is
// shown (unless a check-only start found nothing).
void StartProgram();
// The last step of the main window's unload handling: scanner, database, lock.
void EndProgram();

// Hands the shared database to the three table owners in their fixed order (settings,
// inventory, phone book); each creates or extends its table. One transaction, one flush.
void InitTables();
// The same on a given database: makes a new file complete before it gets its real name.
void InitTablesOn(const DatabaseHandle& db);

// Main, then the event loop while the main window is shown; tidies up afterwards. The exit
// status: 0, or 1 after a start-up failure (which has been shown to the user).
int RunProgram();

// The main window while the program runs; nullptr before start-up and after RunProgram.
ReelKeeperFrm* MainWindow();

}  // namespace MainFunctions
