#pragma once

#include <QDateTime>
#include <QString>

// What a backup holds, read without changing it. Here, below the engine, so that the windows that
// show it need not see the engine that reads it.
struct BackupContents {
  bool usable = false;
  bool cancelled = false;  // the user stopped the check: nothing is known
  QString problem;         // when not usable: why, naming the file
  qint64 dvds = 0;
  qint64 borrowers = 0;
  qint64 loansOut = 0;
  QDateTime made;  // when the copy was written
};
