#include "app/MainFunctions.h"

#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QThread>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <utility>

#include "app/ChangeNotice.h"
#include "app/Collection.h"
#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "app/DatabasePath.h"
#include "app/DatabaseRepair.h"
#include "app/ErrorFunctions.h"
#include "app/InstanceLock.h"
#include "app/RunningCopy.h"
#include "app/TerminationSignals.h"
#include "exchange/CalendarFeed.h"
#include "scanner/ScannerFunctions.h"
#include "seams/MessageBox.h"
#include "ui/main/ReelKeeperFrm.h"
#include "ui/preparing/PreparingProgress.h"
#include "upkeep/CollectionBackups.h"
#include "upkeep/DatabaseMaintenance.h"

namespace MainFunctions {
namespace {

std::unique_ptr<ReelKeeperFrm> mainWindow;
// The event loop of the running program is under way (RunProgram).
bool inEventLoop = false;
// A logout or kill asked the program to end.
bool endRequested = false;
// The main window was shown: the user may have changed the collection, and the exit makes the
// day's automatic copy. A check-only start that found nothing shows no window and copies nothing.
bool shown = false;

const QString kSource = QStringLiteral("StartProgram");

// A start-up failure names the database file, so that the user knows which file to look at.
DatabaseError WithPath(const DatabaseError& error, const QString& path) {
  if (path.isEmpty() || error.Description().contains(path)) return error;
  return DatabaseError(error.Number(),
                       error.Description() + QStringLiteral("\r\nDatabase file: ") + path,
                       error.Source(), error.From());
}

void EnsureFolder(const QString& path) {
  const QString folder = QFileInfo(path).absolutePath();
  if (QFileInfo(folder).isDir()) return;
  // The system's own reason (no permission, a file in the way, a full or read-only disk) tells
  // the user what to mend.
  std::error_code error;
  std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
  if (error) {
    throw DatabaseError::System(
        error.value(),
        QStringLiteral("The folder '%1' for the database cannot be made: %2")
            .arg(folder, QString::fromLocal8Bit(error.message().c_str())),
        kSource);
  }
}

// Milliseconds since the process began (the kernel's start time, 10 ms steps), so that the
// figure includes loading the libraries, not only the program's own work.
qint64 MillisecondsSinceProcessStart() {
  QFile stat(QStringLiteral("/proc/self/stat"));
  if (!stat.open(QIODevice::ReadOnly)) return -1;
  const QByteArray line = stat.readAll();
  // Field 22 is the start time; the fields are counted after the command name in parentheses.
  const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
  if (fields.size() < 20) return -1;
  const double ticks = double(::sysconf(_SC_CLK_TCK));
  timespec now{};
  ::clock_gettime(CLOCK_BOOTTIME, &now);
  const double started = fields[19].toDouble() / ticks;
  return qint64((double(now.tv_sec) + double(now.tv_nsec) / 1e9 - started) * 1000.0);
}

// REELKEEPER_STARTUP_TIMING set: once the event loop has handled the shown window, a line with
// the time since the process began goes to standard error (the start-up benchmark and the
// end-to-end tests wait for it).
void ReportShown() {
  if (qEnvironmentVariableIsEmpty("REELKEEPER_STARTUP_TIMING")) return;
  QTimer::singleShot(0, [] {
    std::fprintf(stderr, "ReelKeeper: main window shown after %lld ms\n",
                 static_cast<long long>(MillisecondsSinceProcessStart()));
    std::fflush(stderr);
  });
}

// REELKEEPER_STARTUP_TIMING set: the same line for the window that shows while an older file's
// kept rows are worked out.
void ReportPreparing() {
  if (qEnvironmentVariableIsEmpty("REELKEEPER_STARTUP_TIMING")) return;
  std::fprintf(stderr, "ReelKeeper: preparing bar shown after %lld ms\n",
               static_cast<long long>(MillisecondsSinceProcessStart()));
  std::fflush(stderr);
}

// Opens the file as the program's collection (a new file gets its tables before its name) and
// brings its tables up to date.
void OpenDatabase(const QString& path) {
  EnsureFolder(path);
  DatabaseMaintenance::Open(ProgramCollection(), path);
}

// What a start that failed part-way leaves is dropped without the window's unload: nothing of a
// half-loaded window is written back.
void DiscardStart() {
  mainWindow.reset();
  DatabaseMaintenance::Close(ProgramCollection());
}

bool AskRetryWhileBusy(const DatabaseError& error, const QString& path) {
  return seams::ShowMessage(ErrorFunctions::PassingText(error, path,
                                                        QStringLiteral("Try again now? No ends "
                                                                       "ReelKeeper; the file is "
                                                                       "left as it is.")),
                            Constants::kAppTitle, seams::MsgIcon::Exclamation,
                            seams::MsgButtons::YesNo, seams::MsgAnswer::No,
                            seams::MsgAnswer::No) == seams::MsgAnswer::Yes;
}

// The database part of the start and the hidden main window's load. False when the user chose
// to stop (a busy or damaged file); other failures propagate.
bool OpenAndLoad(const QString& path) {
  bool repaired = false;
  while (true) {
    try {
      // An older file, or one whose kept rows were lost (a repair's salvage too), has them worked
      // out while opening, before any window could read them half made.
      PreparingProgress preparing(&ReportPreparing);
      OpenDatabase(path);
      mainWindow = std::make_unique<ReelKeeperFrm>(ProgramCollection());
      QObject::connect(mainWindow.get(), &ReelKeeperFrm::Unloaded, &EndProgram);
      mainWindow->LoadForm();
      return true;
    } catch (const DerivedRows::Stopped&) {
      // Cancelled: the work's transaction left the file as it was, and the next start does it
      // again.
      DiscardStart();
      return false;
    } catch (const DatabaseError& error) {
      DiscardStart();
      if (ErrorFunctions::IsPassing(error)) {
        if (!AskRetryWhileBusy(error, path)) return false;
      } else if (ErrorFunctions::IsDamaged(error) && !repaired) {
        if (!DatabaseRepair::OfferRepair(path, error.Description(),
                                         DatabaseRepair::When::AtStart)) {
          return false;
        }
        try {
          DatabaseRepair::Repair(ProgramCollection());
        } catch (const DatabaseError& failure) {
          DatabaseRepair::ReportFailure(path, failure, DatabaseRepair::When::AtStart);
          return false;
        }
        repaired = true;
      } else {
        throw;
      }
    }
  }
}

// Answers an open dialog or message box as the Escape key would.
void PressEscape(QWidget* modal) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(modal, &press);
  QApplication::sendEvent(modal, &release);
  // A dialog that ignores Escape is closed all the same.
  if (modal->isVisible()) {
    if (auto* dialog = qobject_cast<QDialog*>(modal)) {
      dialog->reject();
    } else {
      modal->close();
    }
  }
}

// The same answer as the instance lock's, for a copy in another session on the same file.
void ShowAlreadyRunning() {
  seams::ShowMessage(QStringLiteral("There is already an instance of the ReelKeeper running."),
                     QStringLiteral("It's Running"), seams::MsgIcon::Information,
                     seams::MsgButtons::Ok, seams::MsgAnswer::Ok);
}

}  // namespace

StartMode StartModeFor(const QString& argumentText) {
  const QString upper = argumentText.toUpper();
  if (upper == u"NOCHECK") return StartMode::NoCheck;
  if (upper == u"CHECKONLY") return StartMode::CheckOnly;
  return StartMode::Normal;
}

QString ArgumentText(const QStringList& arguments) { return arguments.mid(1).join(u' '); }

Collection& ProgramCollection() {
  // Lives as long as the process: the windows keep references to it, and a repair, a restore or
  // a clean-up opens its file again inside it.
  static Collection* collection = new Collection;
  return *collection;
}

Started Main(const QString& databasePath) {
  if (!AppFunctions::InstanceLock(false)) {
    // The user who starts the program again is looking for its window.
    RunningCopy::AskToShow();
    seams::ShowMessage(QStringLiteral("There is already an instance of the ReelKeeper running."),
                       QStringLiteral("It's Running"), seams::MsgIcon::Information,
                       seams::MsgButtons::Ok, seams::MsgAnswer::Ok);
    return Started::Finished;
  }
  return StartProgram(databasePath);
}

Started StartProgram(const QString& databasePath) {
  ScannerFunctions::HookScanner();
  QString path = databasePath;
  try {
    if (path.isEmpty()) path = AppFunctions::DatabasePath();
    // A copy in another session (another log-in, a remote desktop) has another runtime folder,
    // so the instance lock alone does not keep two copies off one file.
    EnsureFolder(path);
    if (!AppFunctions::CollectionLock(path)) {
      ShowAlreadyRunning();
      return Started::Finished;
    }
    if (!OpenAndLoad(path)) return Started::Declined;
    const StartMode mode = StartModeFor(ArgumentText(QCoreApplication::arguments()));
    if (mode == StartMode::CheckOnly) {
      if (!mainWindow->CheckOverdues()) {
        // Unloading runs the window's whole unload handling, EndProgram included.
        mainWindow->close();
        return Started::Finished;
      }
    } else if (mode == StartMode::Normal) {
      mainWindow->CheckOverdues();
    }
  } catch (const DatabaseError& error) {
    if (!ErrorFunctions::IsPassing(error)) throw WithPath(error, path);
    // Another program took the file after it was opened (during the overdue check), or the disk
    // filled up meanwhile.
    DiscardStart();
    seams::ShowMessage(
        ErrorFunctions::PassingText(error, path, QStringLiteral("Then start ReelKeeper again.")),
        Constants::kAppTitle, seams::MsgIcon::Exclamation);
    return Started::Declined;
  }
  mainWindow->show();
  shown = true;
  RunningCopy::Listen(mainWindow.get());
  ReportShown();
  // Damage that lets the file open may still fail a later write; the check runs while the user
  // works and offers the repair when it finds some.
  DatabaseMaintenance::SetBeforeReplacing(&DatabaseRepair::StopQuickCheck);
  DatabaseRepair::StartQuickCheck(path, &RepairWhileRunning);
  CalendarFeed::Follow(ProgramCollection());
  return Started::Shown;
}

void EndProgram() {
  DatabaseRepair::StopQuickCheck();
  Collection& collection = ProgramCollection();
  const DatabaseHandle& db = collection.Db();
  if (std::exchange(shown, false) && db && db->IsOpen()) {
    // A copy that cannot be made (a full disk) must not keep the program from ending.
    ErrorFunctions::CarryOn(QStringLiteral("The automatic backup at exit failed."),
                            ErrorFunctions::Report::LogOnly,
                            [&collection] { CollectionBackups::BackUpAtExit(collection); });
  }
  ScannerFunctions::UnhookScanner();
  DatabaseMaintenance::Close(collection);
  AppFunctions::ReleaseCollectionLock();
  AppFunctions::InstanceLock(true);
}

void RepairWhileRunning() {
  const QString path = ProgramCollection().Path();
  try {
    DatabaseRepair::Repair(ProgramCollection());
  } catch (const DatabaseError& failure) {
    DatabaseRepair::ReportFailure(path, failure, DatabaseRepair::When::WhileRunning);
  }
  // The clean-up leaves the database closed, repaired or not. Failing to open it again ends
  // the program at the error boundary: without it nothing can go on.
  OpenDatabase(path);
  Changes::AnnounceEverything();
}

void EndOnRequest() {
  endRequested = true;
  if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  if (QWidget* modal = QApplication::activeModalWidget()) PressEscape(modal);
  // Before the event loop runs, the start sequence sees the request when its boxes are answered.
  if (!inEventLoop) return;
  // The handler that opened the box goes on once the box's own event loop has ended, and may
  // still need the database. The window closes only when control is back in the program's own
  // event loop; a further box the handler opens meanwhile is answered the same way.
  if (QThread::currentThread()->loopLevel() > 1) {
    QTimer::singleShot(50, QCoreApplication::instance(), &EndOnRequest);
    return;
  }
  if (mainWindow && mainWindow->isVisible()) {
    // Closing the window runs its whole unload, EndProgram included; the loop then ends.
    mainWindow->close();
  } else {
    QCoreApplication::quit();
  }
}

ReelKeeperFrm* MainWindow() { return mainWindow.get(); }

int RunProgram(const QString& databasePath) {
  int status = 0;
  endRequested = false;
  TerminationSignals::Install(&EndOnRequest);
  try {
    switch (Main(databasePath)) {
      case Started::Shown:
        if (endRequested) {
          mainWindow->close();
        } else {
          inEventLoop = true;
          status = QApplication::exec();
          inEventLoop = false;
        }
        break;
      case Started::Finished:
        break;
      case Started::Declined:
        status = 1;
        break;
    }
  } catch (const DatabaseError& error) {
    // The window is never shown after a failed start; what was opened is closed quietly.
    mainWindow.reset();
    ErrorFunctions::ReportFatal(error);
    status = 1;
  }
  mainWindow.reset();
  // Whatever way the program got here, the one shutdown has run (again, it changes nothing).
  EndProgram();
  return status;
}

}  // namespace MainFunctions
