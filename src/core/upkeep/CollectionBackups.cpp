#include "upkeep/CollectionBackups.h"

#include <QFileInfo>
#include <algorithm>

#include "app/Collection.h"
#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseFunctions.h"
#include "seams/Clock.h"
#include "settings/SettingsManager.h"
#include "upkeep/DatabaseMaintenance.h"

namespace CollectionBackups {
namespace {

const QString kKeptSetting = QStringLiteral("BackupsKept");

// The copies are named by the clock the rest of the program goes by (tests fix "today").
QDateTime Now() { return QDateTime(seams::Today(), QTime::currentTime()); }

// The day in an automatic copy's name, "<collection>-yyyyMMdd-HHmmss.mdb".
QDate DayOf(const QString& copy) {
  const QString base = QFileInfo(copy).completeBaseName();
  return QDate::fromString(base.section(u'-', -2, -2), QStringLiteral("yyyyMMdd"));
}

// An automatic copy of a file that is not the open collection, read without changing it.
QString CopyOfFile(const QString& file, int keep, const QString& collection,
                   const Progress& progress = {}) {
  DatabaseHandle db = Database::OpenReadOnly(file);
  struct Close {
    DatabaseHandle& db;
    ~Close() { db->CloseUntouched(); }
  } close{db};
  return DatabaseBackup::BackUpAutomatically(db, keep, Now(), collection, progress);
}

// Work past the point where stopping would leave less than before goes on whatever the answer.
Progress Unstoppable(const Progress& progress) {
  if (!progress) return {};
  return [progress](qint64 done, qint64 total) {
    progress(done, total);
    return true;
  };
}

// A restore's bar: the check and the copy of the backup, then the copy of the collection as it
// was to the Backups folder (opening the restored file again takes little).
constexpr qint64 kWhole = 1000;
constexpr qint64 kSwap = 800;

}  // namespace

int KeptCount(Collection& collection) {
  bool ok = false;
  int kept = kDefaultKept;
  try {
    kept = SettingsManager::ReadSetting(collection, kKeptSetting, kDefaultKept).toInt(&ok);
  } catch (const DatabaseError&) {
    // A damaged file about to be repaired: its copy is made all the same.
  }
  return ok ? std::clamp(kept, 1, kMostKept) : kDefaultKept;
}

void SetKeptCount(Collection& collection, int count) {
  SettingsManager::WriteSetting(collection, kKeptSetting, qint32(std::clamp(count, 1, kMostKept)));
}

QString CollectionPath(Collection& collection) { return collection.Path(); }

QString BackupFolder(Collection& collection) {
  return DatabaseBackup::BackupFolder(CollectionPath(collection));
}

QString KeptAsidePath(Collection& collection) {
  return CollectionPath(collection) + QStringLiteral(".before-restore");
}

void BackUpTo(Collection& collection, const QString& target, const Progress& progress) {
  DatabaseBackup::BackUp(collection.Db(), target, progress);
}

QString BackUpAutomatically(Collection& collection) {
  const DatabaseHandle& db = collection.Db();
  if (db && db->IsOpen())
    return DatabaseBackup::BackUpAutomatically(db, KeptCount(collection), Now());
  // A file that is not open (a damaged one at start) is copied as it stands; the setting is not
  // readable then, so the default number is kept.
  const QString file = CollectionPath(collection);
  return CopyOfFile(file, kDefaultKept, file);
}

QString BackUpAtExit(Collection& collection) {
  const QStringList copies = DatabaseBackup::AutomaticBackups(CollectionPath(collection));
  if (!copies.isEmpty() && DayOf(copies.first()) == seams::Today()) return {};
  return BackUpAutomatically(collection);
}

Contents Inspect(const QString& backup, const Progress& progress) {
  return DatabaseBackup::Inspect(backup, progress);
}

bool Stopped(const DatabaseError& error) { return DatabaseBackup::IsStopped(error); }

std::optional<DatabaseError> Restore(Collection& collection, const QString& backup,
                                     const Progress& progress) {
  const QString path = CollectionPath(collection);
  // No connection of ours may go on reading the file that is set aside.
  DatabaseMaintenance::StopBeforeReplacing();
  DatabaseMaintenance::Close(collection);
  std::optional<DatabaseError> failure;
  try {
    DatabaseBackup::Restore(backup, path, DatabaseBackup::Stretch(progress, 0, kSwap, kWhole));
  } catch (const DatabaseError& error) {
    failure = error;
  }
  DatabaseMaintenance::Reopen(collection);
  if (!failure) {
    // A second restore would replace the ".before-restore" file; the Backups folder keeps the
    // collection as it was before each. Made from the file set aside, so that a backup that is
    // refused pushes no older copy out.
    ErrorFunctions::CarryOn(
        QStringLiteral("The collection as it was before the restore could not "
                       "be copied to the Backups folder."),
        ErrorFunctions::Report::LogOnly, [&] {
          CopyOfFile(KeptAsidePath(collection), KeptCount(collection), path,
                     DatabaseBackup::Stretch(Unstoppable(progress), kSwap, kWhole - kSwap, kWhole));
        });
  }
  return failure;
}

}  // namespace CollectionBackups
