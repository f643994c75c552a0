#include "app/ReelKeeperApplication.h"

#include <cstdlib>
#include <exception>

#include "app/Collection.h"
#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "app/MainFunctions.h"
#include "seams/MessageBox.h"
#include "ui/common/ScreenReaderControls.h"

ReelKeeperApplication::ReelKeeperApplication(int& argc, char** argv) : QApplication(argc, argv) {
  ScreenReaderControls::Install();
}

bool ReelKeeperApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const DatabaseError& error) {
    if (!ErrorFunctions::IsPassing(error)) EndWithError(error);
    // The statement that met the lock (or found no room, or no right to write) has ended and its
    // transaction rolled back on the way here; the windows still hold what the user typed, so a
    // later try can succeed.
    ReportBusy(error);
  } catch (const std::exception& error) {
    EndWithError(DatabaseError(0, QString::fromLocal8Bit(error.what()), QStringLiteral("Program")));
  } catch (...) {
    EndWithError(DatabaseError(0, QStringLiteral("An unexpected error ended the program."),
                               QStringLiteral("Program")));
  }
  return false;
}

void ReelKeeperApplication::ReportBusy(const DatabaseError& error) {
  // While the box is up, other events that meet the same lock need no box of their own.
  static bool reporting = false;
  if (reporting) return;
  reporting = true;
  const QString text = ErrorFunctions::PassingText(
      error, MainFunctions::ProgramCollection().Path(),
      QStringLiteral("Then try again: nothing was changed, and everything you typed is still "
                     "there."));
  seams::ShowMessage(text, Constants::kAppTitle, seams::MsgIcon::Exclamation);
  // Another program's lock passes by itself; a full disk or a folder made read-only is a fault
  // of the system worth keeping in the log (which may well be on the same full disk).
  if (ErrorFunctions::PassingFaultOf(error) != ErrorFunctions::PassingFault::Busy) {
    try {
      ErrorFunctions::LogError(ErrorFunctions::ErrorText(text, false, error));
    } catch (const DatabaseError&) {
      // The message has been shown; the log cannot take it now.
    }
  }
  reporting = false;
}

void ReelKeeperApplication::EndWithError(const DatabaseError& error) {
  try {
    ErrorFunctions::ReportFatal(error);
  } catch (...) {
    // The message could not be shown; the program ends all the same.
  }
  // Whatever write was under way is rolled back by closing the database.
  try {
    MainFunctions::EndProgram();
  } catch (...) {
  }
  std::_Exit(1);
}
