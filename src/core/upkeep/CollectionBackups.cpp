#include "upkeep/CollectionBackups.h"

#include <sqlite3.h>

#include <QFileInfo>
#include <algorithm>

#include "app/DatabaseError.h"
#include "app/ErrorFunctions.h"
#include "data/DatabaseBackup.h"
#include "data/DatabaseFunctions.h"
#include "inventory/ChoiceLists.h"
#include "seams/Clock.h"
#include "settings/SettingsManager.h"
#include "upkeep/DatabaseMaintenance.h"

namespace CollectionBackups {
namespace {

const QString kKeptSetting = QStringLiteral("BackupsKept");
const QString kSource = QStringLiteral("Restore");

// The copies are named by the clock the rest of the program goes by (tests fix "today").
QDateTime Now() { return QDateTime(seams::Today(), QTime::currentTime()); }

// The day in an automatic copy's name, "<collection>-yyyyMMdd-HHmmss.mdb".
QDate DayOf(const QString& copy) {
  const QString base = QFileInfo(copy).completeBaseName();
  return QDate::fromString(base.section(u'-', -2, -2), QStringLiteral("yyyyMMdd"));
}

}  // namespace

int KeptCount() {
  bool ok = false;
  const int kept = SettingsManager::ReadSetting(kKeptSetting, kDefaultKept).toInt(&ok);
  return ok ? std::clamp(kept, 1, kMostKept) : kDefaultKept;
}

void SetKeptCount(int count) {
  SettingsManager::WriteSetting(kKeptSetting, qint32(std::clamp(count, 1, kMostKept)));
}

QString CollectionPath() {
  const DatabaseHandle db = DatabaseFunctions::GetDatabase();
  return db && db->IsOpen() ? db->Name() : DatabaseFunctions::GetDatabasePath();
}

QString BackupFolder() { return DatabaseBackup::BackupFolder(CollectionPath()); }

QString KeptAsidePath() { return CollectionPath() + QStringLiteral(".before-restore"); }

void BackUpTo(const QString& target) {
  DatabaseBackup::BackUp(DatabaseFunctions::GetDatabase(), target);
}

QString BackUpAutomatically(const DatabaseHandle& given, const QString& path) {
  DatabaseHandle db = given ? given : DatabaseFunctions::GetDatabase();
  if (db && db->IsOpen()) return DatabaseBackup::BackUpAutomatically(db, KeptCount(), Now());
  // A file that is not open (a damaged one at start) is copied as it stands; the setting is not
  // readable then, so the default number is kept.
  db = Database::OpenReadOnly(path.isEmpty() ? CollectionPath() : path);
  struct Close {
    DatabaseHandle& db;
    ~Close() { db->CloseUntouched(); }
  } close{db};
  return DatabaseBackup::BackUpAutomatically(db, kDefaultKept, Now());
}

QString BackUpAtExit() {
  const QStringList copies = DatabaseBackup::AutomaticBackups(CollectionPath());
  if (!copies.isEmpty() && DayOf(copies.first()) == seams::Today()) return {};
  return BackUpAutomatically();
}

Contents Inspect(const QString& backup) {
  const DatabaseBackup::BackupInfo info = DatabaseBackup::Inspect(backup);
  return {info.usable, info.problem, info.dvds, info.borrowers, info.loansOut, info.made};
}

std::optional<DatabaseError> Restore(const QString& backup) {
  const QString path = CollectionPath();
  // A file that will be refused must not push an older copy out of the Backups folder either.
  const Contents contents = Inspect(backup);
  if (!contents.usable) return DatabaseError(SQLITE_NOTADB, contents.problem, kSource);
  // Two restores in a row would leave only the second one's "before" copy; the Backups folder
  // keeps the collection as it was before each.
  ErrorFunctions::CarryOn(QStringLiteral("The automatic backup before the restore failed."),
                          ErrorFunctions::Report::LogOnly, [] { BackUpAutomatically(); });
  // No connection of ours may go on reading the file that is set aside.
  ChoiceLists::StopReadingAhead();
  DatabaseFunctions::CloseDatabase();
  std::optional<DatabaseError> failure;
  try {
    DatabaseBackup::Restore(backup, path);
  } catch (const DatabaseError& error) {
    failure = error;
  }
  DatabaseMaintenance::Reopen(path);
  return failure;
}

}  // namespace CollectionBackups
