#include "platform/ReelKeeperApplication.h"

#include <cstdlib>
#include <exception>

#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "scanner/ScannerFunctions.h"
#include "seams/MessageBox.h"

ReelKeeperApplication::ReelKeeperApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool ReelKeeperApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const DatabaseError& error) {
    EndWithError(error);
  } catch (const std::exception& error) {
    EndWithError(DatabaseError(0, QString::fromLocal8Bit(error.what()), QStringLiteral("Program")));
  } catch (...) {
    EndWithError(DatabaseError(0, QStringLiteral("An unexpected error ended the program."),
                               QStringLiteral("Program")));
  }
}

QString ReelKeeperApplication::FatalText(const DatabaseError& error) {
  return QStringLiteral("Error Number: %1").arg(error.Number()) + Constants::kCrLf +
         error.Description();
}

void ReelKeeperApplication::ReportFatal(const DatabaseError& error) {
  seams::ShowMessage(FatalText(error), QStringLiteral("Error"), seams::MsgIcon::Critical,
                     seams::MsgButtons::Ok, seams::MsgAnswer::Ok);
}

void ReelKeeperApplication::EndWithError(const DatabaseError& error) {
  try {
    ReportFatal(error);
  } catch (...) {
    // The message could not be shown; the program ends all the same.
  }
  // Whatever write was under way is rolled back by closing; the lock goes with the process.
  try {
    ScannerFunctions::UnhookScanner();
    DatabaseFunctions::CloseDatabase();
  } catch (...) {
  }
  std::_Exit(1);
}
