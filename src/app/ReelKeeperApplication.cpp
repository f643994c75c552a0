#include "app/ReelKeeperApplication.h"

#include <cstdlib>
#include <exception>

#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "app/MainFunctions.h"
#include "data/DatabaseFunctions.h"
#include "seams/MessageBox.h"

ReelKeeperApplication::ReelKeeperApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ReelKeeperApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const DatabaseError& error) {
    if (!ErrorFunctions::IsBusy(error)) EndWithError(error);
    // The statement that met the lock has ended and its transaction rolled back on the way here;
    // the windows still hold what the user typed, so a later try can succeed.
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
  seams::ShowMessage(
      ErrorFunctions::BusyText(error, DatabaseFunctions::GetDatabasePath(),
                               QStringLiteral("Then try again: nothing was changed, and "
                                              "everything you typed is still there.")),
      Constants::kAppTitle, seams::MsgIcon::Exclamation);
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
