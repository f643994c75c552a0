#include "data/DatabaseBackup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>

#include "app/DatabaseError.h"
#include "data/DatabaseFile.h"
#include "data/FileSystem.h"

namespace DatabaseBackup {
namespace {

const QString kSource = QStringLiteral("DatabaseBackup");

std::function<void(RestoreStep)> stepHook;

void Step(RestoreStep step) {
  if (stepHook) stepHook(step);
}

[[noreturn]] void SystemFailure(const QString& what) {
  const int error = errno;
  throw DatabaseError::System(
      error, QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(error))),
      kSource);
}

// The engine's steps in a collection's check and counts, per byte of the file (measured on
// generated collections and users' files of 100,000 DVDs).
constexpr qint64 kBytesPerStep = 8;

[[noreturn]] void Stopped() {
  throw DatabaseError(SQLITE_INTERRUPT, QStringLiteral("Stopped before its end."), kSource);
}

// SQLite's progress handler as a Progress for the statements run on db while this lives: told
// at the start and then every kStepsPerReport steps of the engine, `expected` steps taken as
// the whole (an estimate, so the report stays short of the end when the work runs longer). A
// false answer interrupts the statement under way with SQLITE_INTERRUPT.
class Ticker {
 public:
  Ticker(sqlite3* db, const Progress& progress, qint64 expected)
      : db_(db), progress_(progress), expected_(std::max(expected, kStepsPerReport)) {
    if (!progress_) return;
    stopped_ = !progress_(0, expected_);
    sqlite3_progress_handler(db_, int(kStepsPerReport), &Tick, this);
  }
  ~Ticker() {
    if (progress_) sqlite3_progress_handler(db_, 0, nullptr, nullptr);
  }
  Ticker(const Ticker&) = delete;
  Ticker& operator=(const Ticker&) = delete;
  bool Stopped() const { return stopped_; }

 private:
  // A few milliseconds of the engine's work: often enough for a smooth bar and a prompt Cancel,
  // rarely enough that the window's handling of each report costs little.
  static constexpr qint64 kStepsPerReport = 50000;

  static int Tick(void* self) noexcept {
    auto* ticker = static_cast<Ticker*>(self);
    ticker->steps_ += kStepsPerReport;
    try {
      ticker->stopped_ = ticker->stopped_ ||
                         !ticker->progress_(std::min(ticker->steps_, ticker->expected_ * 99 / 100),
                                            ticker->expected_);
    } catch (...) {
      ticker->stopped_ = true;
    }
    return ticker->stopped_ ? 1 : 0;
  }

  sqlite3* db_;
  Progress progress_;
  qint64 expected_;
  qint64 steps_ = 0;
  bool stopped_ = false;
};

// An empty file only the user may read, which the copy then fills.
void CreatePrivate(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(),
                        O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) SystemFailure(QStringLiteral("Could not create '%1'").arg(path));
  ::fchmod(fd, 0600);
  ::close(fd);
}

// Copies every page of source into the file at target through the online backup API, a slice
// at a time so that progress can follow and stop it.
void CopyPages(sqlite3* source, const QString& target, const Progress& progress = {}) {
  CreatePrivate(target);
  DatabaseHandle copy = Database::Open(target);
  // The copy is flushed once, as a whole, before it takes its name: a journal of its own would
  // only slow the copy down.
  copy->ExecuteRaw(QStringLiteral("PRAGMA journal_mode=OFF"), kSource);
  copy->ExecuteRaw(QStringLiteral("PRAGMA synchronous=OFF"), kSource);
  sqlite3_backup* backup = sqlite3_backup_init(copy->Handle(), "main", source, "main");
  if (!backup) throw EngineError(copy->Handle(), sqlite3_errcode(copy->Handle()), kSource);
  // A megabyte of pages at a time: a few milliseconds.
  constexpr int kPagesPerSlice = 256;
  int stepped = SQLITE_OK;
  bool stopped = false;
  while ((stepped = sqlite3_backup_step(backup, progress ? kPagesPerSlice : -1)) == SQLITE_OK) {
    const int pages = sqlite3_backup_pagecount(backup);
    if (!progress(pages - sqlite3_backup_remaining(backup), pages)) {
      stopped = true;
      break;
    }
  }
  const int finished = sqlite3_backup_finish(backup);
  if (stopped) Stopped();
  if (stepped != SQLITE_DONE) throw EngineError(copy->Handle(), stepped, kSource);
  if (finished != SQLITE_OK) throw EngineError(copy->Handle(), finished, kSource);
  copy->Close();
  FileSystem::SyncFile(target);
}

QString Part(const QString& target) { return target + QStringLiteral(".partial"); }

void RemovePart(const QString& part) noexcept {
  try {
    FileSystem::RemoveIfExists(part);
  } catch (const DatabaseError&) {
    // Only a leftover; the next copy removes it again.
  }
}

// Fills a partial file beside target through fill, then renames it over target; whatever fails on
// the way leaves no partial file behind and target as it was.
void ReplaceThroughPart(const QString& target, const std::function<void(const QString&)>& fill) {
  const QString part = Part(target);
  RemovePart(part);
  try {
    fill(part);
    FileSystem::RenameReplacing(part, target);
  } catch (...) {
    RemovePart(part);
    throw;
  }
}

// "ok" alone, from the engine's full check.
bool Intact(Database& db) {
  Statement check = db.PrepareRaw(QStringLiteral("PRAGMA integrity_check"), kSource);
  QStringList lines;
  int rc;
  while ((rc = check.TryStep()) == SQLITE_ROW) lines << check.Text(0);
  return rc == SQLITE_DONE && lines == QStringList{QStringLiteral("ok")};
}

bool HasTable(Database& db, const QString& table) {
  Statement find = db.PrepareRaw(
      QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE "
                     "NOCASE"),
      kSource);
  find.BindText(1, table);
  return find.Step();
}

// What a backup that opened as the program's own holds: its integrity first, then its tables
// and counts.
void Examine(Database& db, const QString& backup, BackupInfo& info) {
  if (!Intact(db)) {
    info.problem =
        QStringLiteral("The file '%1' is damaged, so it cannot be restored.").arg(backup);
  } else if (!HasTable(db, QStringLiteral("Inventory")) ||
             !HasTable(db, QStringLiteral("Customers"))) {
    info.problem = QStringLiteral("The file '%1' holds no ReelKeeper collection.").arg(backup);
  } else {
    info.dvds = db.PrepareRaw(QStringLiteral("SELECT count(*) FROM Inventory"), kSource).Number();
    info.borrowers =
        db.PrepareRaw(QStringLiteral("SELECT count(*) FROM Customers"), kSource).Number();
    info.loansOut = db.PrepareRaw(QStringLiteral("SELECT count(*) FROM Inventory WHERE "
                                                 "ifnull(Status, 0) <> 0"),
                                  kSource)
                        .Number();
    info.made = QFileInfo(backup).lastModified();
    info.usable = true;
  }
}

}  // namespace

Progress Stretch(const Progress& whole, qint64 start, qint64 length, qint64 total) {
  if (!whole) return {};
  return [=](qint64 done, qint64 of) {
    const double part = of > 0 ? double(std::clamp<qint64>(done, 0, of)) / double(of) : 0.0;
    return whole(start + qint64(part * double(length)), total);
  };
}

bool IsStopped(const DatabaseError& error) { return error.EngineCode() == SQLITE_INTERRUPT; }

void SetRestoreStepHook(std::function<void(RestoreStep)> hook) { stepHook = std::move(hook); }

void BackUp(const DatabaseHandle& db, const QString& given, const Progress& progress) {
  if (!db || !db->IsOpen()) {
    throw DatabaseError(SQLITE_MISUSE, QStringLiteral("No collection is open to back up."),
                        kSource);
  }
  const QString target = DatabaseFile::ResolvedPath(given);
  // Renamed over the open collection, the copy would leave the program writing to a file that
  // no longer has a name, and every later change would be lost.
  const QFileInfo source(db->Name());
  if (QFileInfo::exists(target) &&
      QFileInfo(target).canonicalFilePath() == source.canonicalFilePath()) {
    throw DatabaseError(SQLITE_MISUSE,
                        QStringLiteral("'%1' is the collection itself; choose another file for "
                                       "the backup.")
                            .arg(given),
                        kSource);
  }
  ReplaceThroughPart(target, [&](const QString& part) { CopyPages(db->Handle(), part, progress); });
}

QString BackupFolder(const QString& databasePath) {
  return QFileInfo(databasePath).absolutePath() + QStringLiteral("/Backups");
}

QStringList AutomaticBackups(const QString& databasePath) {
  const QDir folder(BackupFolder(databasePath));
  // The time in the name sorts the copies, whatever their files' times say.
  QStringList names = folder.entryList(
      {QFileInfo(databasePath).completeBaseName() + QStringLiteral("-[0-9]*-[0-9]*.mdb")},
      QDir::Files, QDir::Name | QDir::Reversed);
  for (QString& name : names) name = folder.filePath(name);
  return names;
}

QString BackUpAutomatically(const DatabaseHandle& db, int keep, const QDateTime& now,
                            const QString& given, const Progress& progress) {
  const QString collection = given.isEmpty() ? db->Name() : given;
  const QString folder = BackupFolder(collection);
  if (!QDir().mkpath(folder)) {
    throw DatabaseError::System(
        EACCES, QStringLiteral("Could not make the folder '%1' for the backups.").arg(folder),
        kSource);
  }
  const QString target = QStringLiteral("%1/%2-%3.mdb")
                             .arg(folder, QFileInfo(collection).completeBaseName(),
                                  now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
  BackUp(db, target, progress);
  const QStringList copies = AutomaticBackups(collection);
  for (qsizetype i = std::max(keep, 1); i < copies.size(); ++i) {
    FileSystem::RemoveIfExists(copies[i]);
  }
  return target;
}

BackupInfo Inspect(const QString& backup, const Progress& progress) {
  BackupInfo info;
  DatabaseHandle db;
  std::unique_ptr<Ticker> ticker;
  try {
    if (!QFileInfo(backup).isFile()) {
      info.problem = QStringLiteral("The file '%1' does not exist.").arg(backup);
      return info;
    }
    db = DatabaseFile::OpenExisting(backup, DatabaseFile::Purpose::Inspect);
    ticker =
        std::make_unique<Ticker>(db->Handle(), progress, QFileInfo(backup).size() / kBytesPerStep);
    if (!ticker->Stopped()) Examine(*db, backup, info);
  } catch (const DatabaseError& error) {
    info.problem = error.Description();
  }
  if (ticker && ticker->Stopped()) {
    info = BackupInfo();
    info.cancelled = true;
  }
  ticker.reset();
  if (db) db->CloseUntouched();
  return info;
}

void Restore(const QString& backup, const QString& given, const Progress& progress) {
  const QString current = DatabaseFile::ResolvedPath(given);
  Step(RestoreStep::Started);
  // The check reads every page, through the collection's indexes, several times over; the copy
  // reads and writes each once.
  constexpr qint64 kWhole = 1000;
  constexpr qint64 kCheck = 800;
  const BackupInfo info = Inspect(backup, Stretch(progress, 0, kCheck, kWhole));
  if (info.cancelled) Stopped();
  if (!info.usable) throw DatabaseError(SQLITE_NOTADB, info.problem, kSource);
  // A journal beside the collection is a write under way (or one a crash left): after the
  // rename it would be played into the restored file.
  for (const QString& side : {QStringLiteral("-journal"), QStringLiteral("-wal")}) {
    if (QFileInfo::exists(current + side)) {
      throw DatabaseError(SQLITE_BUSY,
                          QStringLiteral("The collection '%1' is being written; nothing was "
                                         "restored.")
                              .arg(given),
                          kSource);
    }
  }
  ReplaceThroughPart(current, [&](const QString& part) {
    DatabaseHandle source = Database::OpenReadOnly(backup);
    CopyPages(source->Handle(), part, Stretch(progress, kCheck, kWhole - kCheck, kWhole));
    source->CloseUntouched();
    Step(RestoreStep::CopyWritten);
    // The restored collection keeps the permissions the collection had.
    struct stat mode {};
    if (::stat(QFile::encodeName(current).constData(), &mode) == 0) {
      ::chmod(QFile::encodeName(part).constData(), mode.st_mode & 07777);
    }
    FileSystem::SyncFile(part);
    Step(RestoreStep::CopyFlushed);
    if (QFileInfo::exists(current)) {
      // A second name for the collection as it is, made beside it and renamed over an older
      // one, so that the collection's own name is never without a file.
      const QString kept = current + QStringLiteral(".before-restore");
      const QString keeping = kept + QStringLiteral(".partial");
      RemovePart(keeping);
      if (::link(QFile::encodeName(current).constData(), QFile::encodeName(keeping).constData()) !=
          0) {
        FileSystem::CopyFlushed(current, keeping);
      }
      FileSystem::RenameReplacing(keeping, kept);
      // Where an interrupted restore had already kept this very file, the rename found both
      // names on one file and left the extra one.
      RemovePart(keeping);
      Step(RestoreStep::CurrentKept);
    }
    // Another connection to the collection (another copy of the program, another tool) would
    // go on writing into the file that the rename sets aside, and what it wrote would be lost.
    if (const long pid = FileSystem::OpenElsewhere(current)) {
      throw DatabaseError(SQLITE_BUSY,
                          QStringLiteral("The collection '%1' is open in another program "
                                         "(process %2); nothing was restored.")
                              .arg(given)
                              .arg(pid),
                          kSource);
    }
  });
  Step(RestoreStep::Replaced);
}

}  // namespace DatabaseBackup
