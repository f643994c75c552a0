#pragma once

#include <QString>

namespace Constants {

// The application's title, used by message boxes that name the program.
inline const QString kAppTitle = QStringLiteral("ReelKeeper");
// The main window's caption.
inline const QString kMainCaption = QStringLiteral("Reel Keeper");
inline const QString kDatabaseFileName = QStringLiteral("ReelKeeper.mdb");
inline const QString kInstanceLockName = QStringLiteral("ReelKeeperMutex");
inline const QString kErrorLogName = QStringLiteral("ErrorLog");
inline const QString kCrLf = QStringLiteral("\r\n");

}  // namespace Constants
