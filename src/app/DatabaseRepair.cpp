#include "app/DatabaseRepair.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <memory>
#include <thread>

#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "data/DatabaseFunctions.h"
#include "seams/MessageBox.h"
#include "upkeep/CollectionBackups.h"
#include "upkeep/DatabaseCheck.h"

namespace DatabaseRepair {
namespace {

const QString& kCrLf = Constants::kCrLf;

// One check at a time. The context object receives the worker's result on the user-interface
// thread; deleting it drops a result that has not been delivered yet.
struct RunningCheck {
  explicit RunningCheck(const QString& path) : check(path) {}
  DatabaseMaintenance::QuickCheck check;
  std::unique_ptr<QObject> context = std::make_unique<QObject>();
  std::thread worker;
};
std::unique_ptr<RunningCheck> running;

void Offer(const QString& path, const QString& finding, const std::function<void()>& repair,
           QObject* context) {
  // A dialog open now belongs to a command under way; a repair would close the database under
  // it. The offer waits until the user is back in the main window.
  if (QApplication::activeModalWidget() || QApplication::activePopupWidget()) {
    QTimer::singleShot(250, context, [=] { Offer(path, finding, repair, context); });
    return;
  }
  if (OfferRepair(path, finding, When::WhileRunning)) repair();
}

}  // namespace

bool OfferRepair(const QString& path, const QString& finding, When when) {
  const QString ifNot = when == When::AtStart
                            ? QStringLiteral("No ends ReelKeeper and leaves the file as it is.")
                            : QStringLiteral(
                                  "No goes on without a repair, but a later change "
                                  "may fail.");
  const QString text =
      QStringLiteral("The collection '%1' is damaged: %2").arg(path, finding) + kCrLf + kCrLf +
      QStringLiteral(
          "Repair it now? Every row that can still be read is copied into a new file, "
          "and the damaged original is kept beside it as '%1.damaged'.")
          .arg(QFileInfo(path).fileName()) +
      kCrLf + ifNot;
  return seams::ShowMessage(text, Constants::kAppTitle, seams::MsgIcon::Exclamation,
                            seams::MsgButtons::YesNo, seams::MsgAnswer::No,
                            seams::MsgAnswer::No) == seams::MsgAnswer::Yes;
}

void Repair(const DatabaseHandle& db, const QString& path) {
  // A copy of the file as it is, to go back to. Damage often keeps it from being made; the repair
  // goes on all the same, since the salvage keeps the damaged original beside the file byte for
  // byte, and a repair held back would leave the user with a collection that cannot be used.
  ErrorFunctions::CarryOn(QStringLiteral("The automatic backup before the repair failed."),
                          ErrorFunctions::Report::LogOnly,
                          [&] { CollectionBackups::BackUpAutomatically(db, path); });
  const DatabaseFunctions::CleanupSummary summary =
      db ? DatabaseFunctions::CleanDatabase(db) : DatabaseFunctions::CleanDatabaseFile(path);
  QString text = QStringLiteral("The collection '%1' has been repaired. Rows kept:").arg(path);
  for (const DatabaseFunctions::TableRows& table : summary.tables) {
    text += kCrLf + QStringLiteral("%1: %2").arg(table.table).arg(table.rows);
  }
  if (summary.salvaged) {
    text +=
        kCrLf + kCrLf +
        QStringLiteral("The damaged original is kept beside it as '%1'.").arg(summary.damagedFile);
  }
  seams::ShowMessage(text, Constants::kAppTitle, seams::MsgIcon::Information);
}

void ReportFailure(const QString& path, const DatabaseError& error, When when) {
  const QString afterwards = when == When::AtStart
                                 ? QStringLiteral("ReelKeeper ends now.")
                                 : QStringLiteral("ReelKeeper goes on with the file as it is.");
  seams::ShowMessage(QStringLiteral("The collection '%1' could not be repaired: %2 (error %3). "
                                    "The file has been left as it was.")
                             .arg(path, error.Description())
                             .arg(error.Number()) +
                         kCrLf + afterwards,
                     Constants::kAppTitle, seams::MsgIcon::Critical);
}

void StartQuickCheck(const QString& path, std::function<void()> repair) {
  StopQuickCheck();
  running = std::make_unique<RunningCheck>(path);
  RunningCheck* check = running.get();
  QObject* context = check->context.get();
  check->worker = std::thread([=] {
    const DatabaseMaintenance::QuickCheck::Result result = check->check.Run();
    if (!result.completed || result.faults.isEmpty()) return;
    QMetaObject::invokeMethod(
        context,
        [=] {
          QString finding = result.faults.first();
          if (result.faults.size() > 1) finding += QStringLiteral(" (and more)");
          Offer(path, finding, repair, context);
        },
        Qt::QueuedConnection);
  });
}

void StopQuickCheck() {
  if (!running) return;
  running->check.Cancel();
  if (running->worker.joinable()) running->worker.join();
  running.reset();
}

}  // namespace DatabaseRepair
