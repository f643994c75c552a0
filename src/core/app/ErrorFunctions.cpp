#include "app/ErrorFunctions.h"

#include <sqlite3.h>

#include <QFile>
#include <cstdio>
#include <cstdlib>

#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "seams/MessageBox.h"

namespace ErrorFunctions {
QString ErrorText(const QString& message, bool allowContinue, const DatabaseError& error) {
  const QString& crlf = Constants::kCrLf;
  QString text = message.isEmpty() ? QStringLiteral("There was an error.") : message;
  text += crlf + crlf;
  text += QStringLiteral("Error Number: ") + QString::number(error.Number()) + crlf;
  text += QStringLiteral("System Err Desc: ") + error.Description() + crlf;
  text += QStringLiteral("Source: ") + error.Source();
  if (allowContinue) {
    text += crlf + crlf +
            QStringLiteral("Would you like to try to continue running this program?") + crlf +
            QStringLiteral(
                "WARNING - Continuing to run this program may result in undesired operation.");
  }
  return text;
}

void ShowError(const QString& message, bool allowContinue, const DatabaseError& error) {
  const QString text = ErrorText(message, allowContinue, error);
  if (allowContinue) {
    const auto answer =
        seams::ShowMessage(text, QStringLiteral("Error"), seams::MsgIcon::Critical,
                           seams::MsgButtons::YesNo, seams::MsgAnswer::Yes, seams::MsgAnswer::Yes);
    if (answer == seams::MsgAnswer::No) EndProcessNow();
  } else {
    seams::ShowMessage(text, QStringLiteral("Error"), seams::MsgIcon::Critical,
                       seams::MsgButtons::Ok, seams::MsgAnswer::Ok);
  }
  LogError(text);
}

void LogError(const QString& text) {
  QFile log(Constants::kErrorLogName);
  const QByteArray entry = (text + Constants::kCrLf).toUtf8();
  if (log.open(QIODevice::WriteOnly | QIODevice::Append) && log.write(entry) == entry.size() &&
      log.flush()) {
    return;
  }
  std::fprintf(stderr, "ReelKeeper: could not write %s (%s):\n%s\n",
               qUtf8Printable(Constants::kErrorLogName), qUtf8Printable(log.errorString()),
               entry.constData());
}

bool CarryOn(const QString& message, Report report, const std::function<void()>& work) {
  try {
    work();
    return true;
  } catch (const DatabaseError& error) {
    if (report == Report::Show) {
      ShowError(message, false, error);
    } else {
      LogError(ErrorText(message, false, error));
    }
    return false;
  }
}

void EndProcessNow() { std::_Exit(1); }

QString FatalText(const DatabaseError& error) {
  return QStringLiteral("Error Number: %1").arg(error.Number()) + Constants::kCrLf +
         error.Description();
}

void ReportFatal(const DatabaseError& error) {
  seams::ShowMessage(FatalText(error), QStringLiteral("Error"), seams::MsgIcon::Critical,
                     seams::MsgButtons::Ok, seams::MsgAnswer::Ok);
}

bool IsBusy(const DatabaseError& error) {
  return error.EngineCode() == SQLITE_BUSY || error.EngineCode() == SQLITE_LOCKED;
}

bool IsDamaged(const DatabaseError& error) { return error.EngineCode() == SQLITE_CORRUPT; }

QString BusyText(const DatabaseError& error, const QString& path, const QString& afterwards) {
  const QString& crlf = Constants::kCrLf;
  return QStringLiteral("The collection is in use by another program: %1.")
             .arg(error.Description()) +
         crlf + QStringLiteral("File: ") + path + crlf + crlf +
         QStringLiteral("Close the other program, or wait until it has finished. ") + afterwards;
}

}  // namespace ErrorFunctions
