#include "ui/main/BackupCommands.h"

#include <QApplication>
#include <QFileInfo>
#include <QLocale>
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

// The wait pointer and a status text while the work runs on this thread. A backup of 100,000
// DVDs takes about a tenth of a second, the check before a restore half a second and the restore
// under a second (bench/ExchangeBench): too short for a progress bar or a Cancel to be of use.
struct Busy {
  explicit Busy(const QString& text) {
    FormHelpers::MainMessage(text);
    // Painted now: the event loop does not run again before the work is over.
    if (QWidget* main = FormHelpers::MainWindow()) {
      if (auto* bar = main->findChild<QStatusBar*>(QStringLiteral("MessBar"))) bar->repaint();
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~Busy() { QApplication::restoreOverrideCursor(); }
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

void BackUp(Collection& collection, QWidget*) {
  const QString name =
      QStringLiteral("ReelKeeper-%1.mdb").arg(seams::Today().toString(Qt::ISODate));
  const QString target =
      seams::CurrentFileChooser().SaveFile(QStringLiteral("Back Up Collection"), name, kFilter);
  if (target.isEmpty()) return;
  try {
    Busy busy(QStringLiteral("Backing up the collection..."));
    CollectionBackups::BackUpTo(collection, target);
  } catch (const DatabaseError& error) {
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

void Restore(Collection& collection, QWidget*) {
  const QString folder = CollectionBackups::BackupFolder(collection);
  const QString backup =
      seams::CurrentFileChooser().OpenFile(QStringLiteral("Restore Collection"), kFilter, folder);
  if (backup.isEmpty()) return;
  CollectionBackups::Contents contents;
  {
    Busy busy(QStringLiteral("Checking the backup..."));
    contents = CollectionBackups::Inspect(backup);
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
      QStringLiteral("DVDs: %1 (on loan: %2)").arg(contents.dvds).arg(contents.loansOut) + kCrLf +
      QStringLiteral("Borrowers: %1").arg(contents.borrowers) + kCrLf + kCrLf +
      QStringLiteral("It takes the place of your collection, which is kept as '%1'.")
          .arg(CollectionBackups::KeptAsidePath(collection));
  if (seams::ShowMessage(question, QStringLiteral("Restore?"), seams::MsgIcon::Question,
                         seams::MsgButtons::YesNo, seams::MsgAnswer::No) != seams::MsgAnswer::Yes) {
    return;
  }
  std::optional<DatabaseError> failure;
  {
    Busy busy(QStringLiteral("Restoring the backup..."));
    failure = CollectionBackups::Restore(collection, backup);
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
