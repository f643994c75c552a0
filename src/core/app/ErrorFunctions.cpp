#include "app/ErrorFunctions.h"

#include <sqlite3.h>

#include <QFile>
#include <cerrno>
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
  if (!log.open(QIODevice::WriteOnly | QIODevice::Append)) {
    throw DatabaseError::System(
        EACCES, QStringLiteral("Could not write the error log: %1").arg(log.errorString()),
        QStringLiteral("LogError"));
  }
  const QByteArray entry = (text + Constants::kCrLf).toUtf8();
  if (log.write(entry) != entry.size() || !log.flush()) {
    throw DatabaseError::System(
        EIO, QStringLiteral("Could not write the error log: %1").arg(log.errorString()),
        QStringLiteral("LogError"));
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

PassingFault PassingFaultOf(const DatabaseError& error) {
  if (IsBusy(error)) return PassingFault::Busy;
  if (error.From() == DatabaseError::Origin::System) {
    const int number = error.Number();
    if (number == ENOSPC || number == EDQUOT || number == EFBIG) return PassingFault::DiskFull;
    return number == EROFS ? PassingFault::ReadOnly : PassingFault::None;
  }
  if (error.EngineCode() == SQLITE_FULL) return PassingFault::DiskFull;
  // A file replaced under the program (by a clean-up elsewhere) is no passing matter: what the
  // program holds open is no longer the collection.
  if (error.EngineCode() == SQLITE_READONLY && error.Number() != SQLITE_READONLY_DBMOVED) {
    return PassingFault::ReadOnly;
  }
  return PassingFault::None;
}

bool IsPassing(const DatabaseError& error) { return PassingFaultOf(error) != PassingFault::None; }

QString PassingText(const DatabaseError& error, const QString& path, const QString& afterwards) {
  const QString& crlf = Constants::kCrLf;
  QString what;
  QString mend;
  switch (PassingFaultOf(error)) {
    case PassingFault::DiskFull:
      what = QStringLiteral("The disk that holds the collection is full");
      mend = QStringLiteral(
          "Free some space on that disk: empty the wastebasket, or move or delete files you no "
          "longer need. ");
      break;
    case PassingFault::ReadOnly:
      what = QStringLiteral("The collection's file or folder cannot be written");
      mend = QStringLiteral(
          "Make the folder and the file writable for you again (in the file manager: "
          "Properties, Permissions), or mount the drive for writing. ");
      break;
    default:
      return BusyText(error, path, afterwards);
  }
  return what + QStringLiteral(": %1.").arg(error.Description()) + crlf + QStringLiteral("File: ") +
         path + crlf + crlf + mend + afterwards;
}

}  // namespace ErrorFunctions
