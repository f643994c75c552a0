#include "ui/main/BackupCommands.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QProgressDialog>
#include <QStatusBar>
#include <cerrno>

#include "app/Collection.h"
#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "inventory/DVDRecord.h"
#include "seams/Clock.h"
#include "seams/FileChooser.h"
#include "seams/MessageBox.h"
#include "ui/common/FormHelpers.h"
#include "upkeep/CollectionBackups.h"

namespace BackupCommands {
namespace {

const QString& kCrLf = Constants::kCrLf;
const QString kFilter = QStringLiteral("ReelKeeper collections (*.mdb);;All files (*)");
const QString kCancelled = QStringLiteral("Cancelled: nothing was restored.");

// The wait pointer and a status text while the work runs on this thread, and a bar with Cancel
// once it has run a while: on a collection of 100,000 DVDs a backup takes about half a second, the
// check before a restore one and a half, the restore two and a half (bench/BackupBench), and
// more on a busy machine.
class Busy {
 public:
  Busy(QWidget* window, const QString& text, const QString& name)
      : bar_(text, QStringLiteral("&Cancel"), 0, 1000,
             window ? window : FormHelpers::MainWindow()) {
    FormHelpers::MainMessage(text);
    // Painted now: the event loop does not run again before the work is over.
    if (QWidget* main = FormHelpers::MainWindow()) {
      if (auto* bar = main->findChild<QStatusBar*>(QStringLiteral("MessBar"))) bar->repaint();
    }
    bar_.setObjectName(QStringLiteral("BackupProgress"));
    bar_.setAccessibleName(name);
    bar_.setWindowModality(Qt::WindowModal);
    bar_.setMinimumDuration(400);
    bar_.setAutoReset(false);
    bar_.setWindowTitle(Constants::kAppTitle);
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~Busy() {
    QApplication::restoreOverrideCursor();
    bar_.close();
  }
  Busy(const Busy&) = delete;
  Busy& operator=(const Busy&) = delete;

  CollectionBackups::Progress Progress() {
    return [this](qint64 done, qint64 total) {
      bar_.setValue(total > 0 ? int(std::min<qint64>(done * 1000 / total, 1000)) : 0);
      return !bar_.wasCanceled();
    };
  }

 private:
  QProgressDialog bar_;
};

// What the user can do about a copy that could not be written.
QString Remedy(const DatabaseError& error) {
  const int number = error.From() == DatabaseError::Origin::System ? error.Number() : 0;
  switch (ErrorFunctions::PassingFaultOf(error)) {
    case ErrorFunctions::PassingFault::DiskFull:
      return QStringLiteral("The disk is full: free some space on it, or choose another disk.");
    case ErrorFunctions::PassingFault::ReadOnly:
      return QStringLiteral("The folder cannot be written: choose another folder.");
    default:
      break;
  }
  if (number == EACCES || number == EPERM) {
    return QStringLiteral("You may not write in that folder: choose another folder.");
  }
  return {};
}

QString MadeText(const QDateTime& made) {
  return InventoryFunctions::ShortDateText(made.date()) + u' ' +
         QLocale().toString(made.time(), QLocale::ShortFormat);
}

}  // namespace

void BackUp(Collection& collection, QWidget* window) {
  const QString name =
      QStringLiteral("ReelKeeper-%1.mdb").arg(seams::Today().toString(Qt::ISODate));
  const QString target =
      seams::CurrentFileChooser().SaveFile(QStringLiteral("Back Up Collection"), name, kFilter);
  if (target.isEmpty()) return;
  try {
    Busy busy(window, QStringLiteral("Backing up the collection..."), QStringLiteral("Backing up"));
    CollectionBackups::BackUpTo(collection, target, busy.Progress());
  } catch (const DatabaseError& error) {
    if (CollectionBackups::Stopped(error)) {
      FormHelpers::MainMessage(QStringLiteral("Cancelled: nothing was backed up."));
      return;
    }
    FormHelpers::MainMessage(QString());
    QString text = QStringLiteral("The collection could not be backed up to '%1': %2 (error %3).")
                       .arg(target, error.Description())
                       .arg(error.Number());
    const QString remedy = Remedy(error);
    if (!remedy.isEmpty()) text += kCrLf + kCrLf + remedy;
    text += kCrLf + QStringLiteral("Your collection has not been changed.");
    ErrorFunctions::LogError(text);
    seams::ShowMessage(text, Constants::kAppTitle, seams::MsgIcon::Exclamation);
    return;
  }
  FormHelpers::MainMessage(QStringLiteral("Backup Complete: %1").arg(target));
}

void Restore(Collection& collection, QWidget* window) {
  const QString folder = CollectionBackups::BackupFolder(collection);
  const QString backup =
      seams::CurrentFileChooser().OpenFile(QStringLiteral("Restore Collection"), kFilter, folder);
  if (backup.isEmpty()) return;
  CollectionBackups::Contents contents;
  {
    Busy busy(window, QStringLiteral("Checking the backup..."),
              QStringLiteral("Checking the backup"));
    contents = CollectionBackups::Inspect(backup, busy.Progress());
  }
  if (contents.cancelled) {
    FormHelpers::MainMessage(kCancelled);
    return;
  }
  FormHelpers::MainMessage(QString());
  if (!contents.usable) {
    seams::ShowMessage(
        contents.problem + kCrLf + QStringLiteral("Your collection has not been changed."),
        Constants::kAppTitle, seams::MsgIcon::Exclamation);
    return;
  }
  const QString question =
      QStringLiteral("Restore the backup '%1'?").arg(backup) + kCrLf + kCrLf +
      QStringLiteral("Made: %1").arg(MadeText(contents.made)) + kCrLf +
      QStringLiteral("DVDs: %1 (on loan: %2)")
          .arg(QLocale().toString(contents.dvds), QLocale().toString(contents.loansOut)) +
      kCrLf + QStringLiteral("Borrowers: %1").arg(QLocale().toString(contents.borrowers)) + kCrLf +
      kCrLf +
      QStringLiteral("It takes the place of your collection, which is kept as '%1'.")
          .arg(CollectionBackups::KeptAsidePath(collection));
  if (seams::ShowMessage(question, QStringLiteral("Restore?"), seams::MsgIcon::Question,
                         seams::MsgButtons::YesNo, seams::MsgAnswer::No) != seams::MsgAnswer::Yes) {
    return;
  }
  std::optional<DatabaseError> failure;
  {
    Busy busy(window, QStringLiteral("Restoring the backup..."), QStringLiteral("Restoring"));
    failure = CollectionBackups::Restore(collection, backup, busy.Progress());
  }
  if (failure && CollectionBackups::Stopped(*failure)) {
    FormHelpers::MainMessage(kCancelled);
    return;
  }
  if (failure) {
    const DatabaseError& error = *failure;
    FormHelpers::MainMessage(QString());
    const QString path = CollectionBackups::CollectionPath(collection);
    // The collection is as it was and open again.
    const QString text =
        ErrorFunctions::IsPassing(error)
            ? ErrorFunctions::PassingText(error, path,
                                          QStringLiteral("Nothing was restored; try again then."))
            : QStringLiteral("The backup '%1' could not be restored: %2 (error %3).")
                      .arg(backup, error.Description())
                      .arg(error.Number()) +
                  kCrLf + QStringLiteral("Your collection has not been changed.");
    ErrorFunctions::LogError(text);
    seams::ShowMessage(text, Constants::kAppTitle, seams::MsgIcon::Exclamation);
    return;
  }
  FormHelpers::MainMessage(QStringLiteral("Restore Complete: %1").arg(backup));
}

}  // namespace BackupCommands
