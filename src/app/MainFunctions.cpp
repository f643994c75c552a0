#include "app/MainFunctions.h"

#include "app/TerminationSignals.h"

#include <time.h>
#include <unistd.h>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <cerrno>
#include <cstdio>
#include <memory>

#include "app/DatabaseError.h"
#include "data/DatabaseFunctions.h"
#include "inventory/InventoryFunctions.h"
#include "phonebook/CustomerFunctions.h"
#include "platform/ReelKeeperApplication.h"
#include "scanner/ScannerFunctions.h"
#include "seams/MessageBox.h"
#include "settings/SettingsManager.h"
#include "ui/main/ReelKeeperFrm.h"

namespace MainFunctions {
namespace {

std::unique_ptr<ReelKeeperFrm> mainWindow;

const QString kSource = QStringLiteral("StartProgram");

// A start-up failure names the database file, so that the user knows which file to look at.
DatabaseError WithPath(const DatabaseError& error, const QString& path) {
  if (error.Description().contains(path)) return error;
  return DatabaseError(error.Number(),
                       error.Description() + QStringLiteral("\r\nDatabase file: ") + path,
                       error.Source());
}

void EnsureFolder(const QString& path) {
  const QString folder = QFileInfo(path).absolutePath();
  if (QFileInfo(folder).isDir()) return;
  if (!QDir().mkpath(folder)) {
    throw DatabaseError(
        EACCES, QStringLiteral("The folder '%1' for the database cannot be made.").arg(folder),
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

}  // namespace

StartMode StartModeFor(const QString& argumentText) {
  const QString upper = argumentText.toUpper();
  if (upper == u"NOCHECK") return StartMode::NoCheck;
  if (upper == u"CHECKONLY") return StartMode::CheckOnly;
  return StartMode::Normal;
}

QString ArgumentText(const QStringList& arguments) { return arguments.mid(1).join(u' '); }

void InitTablesOn(const DatabaseHandle& db) {
  Transaction transaction(db);
  SettingsManager::InitSettings(db);
  InventoryFunctions::InitInventory(db);
  CustomerFunctions::InitCustomers(db);
  transaction.Commit();
}

void InitTables() { InitTablesOn(DatabaseFunctions::GetDatabase()); }

void Main() {
  if (!AppFunctions::InstanceLock(false)) {
    seams::ShowMessage(QStringLiteral("There is already an instance of the ReelKeeper running."),
                       QStringLiteral("It's Running"), seams::MsgIcon::Information,
                       seams::MsgButtons::Ok, seams::MsgAnswer::Ok);
    return;
  }
  StartProgram();
}

void StartProgram() {
  ScannerFunctions::HookScanner();
  const QString path = AppFunctions::DatabasePath();
  StartMode mode = StartMode::Normal;
  try {
    EnsureFolder(path);
    // A new file gets its tables before it gets its name, so no half-made file ever carries it.
    // The table owners work on the shared database, so the new file is shared while it is set up.
    auto setUpNew = [](const DatabaseHandle& fresh) {
      DatabaseFunctions::SetDatabase(fresh);
      try {
        InitTables();
      } catch (...) {
        DatabaseFunctions::CloseDatabase();
        throw;
      }
    };
    DatabaseFunctions::SetDatabasePath(path);
    DatabaseFunctions::SetDatabase(DatabaseFunctions::OpenOrCreateDatabase(path, setUpNew));
    InitTables();

    mainWindow = std::make_unique<ReelKeeperFrm>();
    QObject::connect(mainWindow.get(), &ReelKeeperFrm::Unloaded, &EndProgram);
    mainWindow->LoadForm();

    mode = StartModeFor(ArgumentText(QCoreApplication::arguments()));
    if (mode == StartMode::CheckOnly) {
      if (!mainWindow->CheckOverdues()) {
        // Unloading runs the window's whole unload handling, EndProgram included.
        mainWindow->close();
        return;
      }
    } else if (mode == StartMode::Normal) {
      mainWindow->CheckOverdues();
    }
  } catch (const DatabaseError& error) {
    throw WithPath(error, path);
  }
  mainWindow->show();
  ReportShown();
}

void EndProgram() {
  ScannerFunctions::UnhookScanner();
  DatabaseFunctions::CloseDatabase();
  AppFunctions::InstanceLock(true);
}

ReelKeeperFrm* MainWindow() { return mainWindow.get(); }

int RunProgram() {
  int status = 0;
  TerminationSignals::Install([] {
    // Closing the window runs its whole unload, EndProgram included; the loop then ends.
    if (mainWindow && mainWindow->isVisible()) {
      mainWindow->close();
    } else {
      QCoreApplication::quit();
    }
  });
  try {
    Main();
    if (mainWindow && mainWindow->isVisible()) status = QApplication::exec();
  } catch (const DatabaseError& error) {
    // The window is never shown after a failed start; what was opened is closed quietly.
    mainWindow.reset();
    ReelKeeperApplication::ReportFatal(error);
    try {
      ScannerFunctions::UnhookScanner();
      DatabaseFunctions::CloseDatabase();
    } catch (const DatabaseError&) {
    }
    status = 1;
  }
  mainWindow.reset();
  return status;
}

}  // namespace MainFunctions
