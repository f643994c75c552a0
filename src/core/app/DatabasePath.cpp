#include "app/DatabasePath.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <cerrno>

#include "app/Constants.h"
#include "app/DatabaseError.h"

namespace AppFunctions {
namespace {

const QString kSource = QStringLiteral("DatabasePath");

// The user's home folder as an absolute path: $HOME, else the account's entry; empty when
// neither is absolute (a folder relative to wherever the program was started is no home).
QString HomeFolder() {
  QString home = qEnvironmentVariable("HOME");
  if (home.isEmpty() || !QDir::isAbsolutePath(home)) {
    home.clear();
    if (const passwd* entry = ::getpwuid(::geteuid())) home = QFile::decodeName(entry->pw_dir);
  }
  return QDir::isAbsolutePath(home) ? home : QString();
}

// An empty file holds nothing and does not count as a collection; a link counts even when its
// target is gone, since the user made it to reach one.
bool HoldsCollection(const QString& file) {
  const QFileInfo info(file);
  return info.isSymLink() || (info.exists() && info.size() > 0);
}

QString RequireUserDataFolder() {
  const QString folder = UserDataFolder();
  if (folder.isEmpty()) {
    throw DatabaseError::System(
        ENOENT,
        QStringLiteral("ReelKeeper cannot tell where to keep your collection: neither "
                       "XDG_DATA_HOME ('%1') nor your home folder ('%2') is an absolute path. "
                       "Set XDG_DATA_HOME to a folder of yours, then start ReelKeeper again. "
                       "Nothing has been created or changed.")
            .arg(qEnvironmentVariable("XDG_DATA_HOME"), qEnvironmentVariable("HOME")),
        kSource);
  }
  return folder;
}

// The folders where scripts/run.sh keeps its copy of the program, and so its collection.
QStringList RunScriptFolders() {
  QStringList folders;
  const QString chosen = qEnvironmentVariable("REELKEEPER_HOME");
  if (QDir::isAbsolutePath(chosen)) folders << chosen;
  const QString home = HomeFolder();
  if (!home.isEmpty()) folders << QDir(home).filePath(QStringLiteral("ReelKeeper"));
  return folders;
}

QString InstalledDatabasePath() {
  const QString dataFolder = RequireUserDataFolder();
  const QString file = QDir(dataFolder).filePath(Constants::kDatabaseFileName);
  if (HoldsCollection(file)) return file;
  // A user of the program-folder copy who installs the program: an empty collection here would
  // look as if every DVD were lost.
  for (const QString& folder : RunScriptFolders()) {
    const QString earlier = QDir(folder).filePath(Constants::kDatabaseFileName);
    if (!HoldsCollection(earlier)) continue;
    throw DatabaseError::System(
        EEXIST,
        QStringLiteral("Your collection '%1' belongs to the copy of ReelKeeper in '%2'. This "
                       "installed copy keeps its collection in '%3', where there is none yet, "
                       "and will not start on a new, empty one. To go on with your collection "
                       "here, close ReelKeeper and move the file into '%3' (make the folder if "
                       "it is missing); or keep starting the copy in '%2'. Nothing has been "
                       "created or changed.")
            .arg(earlier, folder, dataFolder),
        kSource);
  }
  return file;
}

}  // namespace

QString ProgramFolder() {
  // /proc/self/exe names the file that was executed, whatever the current folder or argv[0] say.
  const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  if (executable.isEmpty()) return QDir::currentPath();
  return QFileInfo(executable).absolutePath();
}

bool IsInstalledCopy(const QString& programFolder) {
  return !QFileInfo::exists(QDir(programFolder).filePath(kScannerLibraryFileName));
}

QString InstalledLibraryFolder(const QString& programFolder) {
  return QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(REELKEEPER_LIBRARY_FROM_BIN)));
}

QString DocumentationFolder(const QString& programFolder) {
  return QDir::cleanPath(QDir(programFolder).filePath(QStringLiteral(REELKEEPER_DOC_FROM_BIN)));
}

QString UserDataFolder() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  // The XDG rules say a relative value is to be ignored.
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
    const QString home = HomeFolder();
    if (home.isEmpty()) return {};
    base = QDir(home).filePath(QStringLiteral(".local/share"));
  }
  return QDir::cleanPath(QDir(base).filePath(QStringLiteral("ReelKeeper")));
}

QString DatabasePathFor(const QString& programFolder) {
  if (IsInstalledCopy(programFolder)) return InstalledDatabasePath();
  const QString own = QDir(programFolder).filePath(Constants::kDatabaseFileName);
  // The journal is written beside the file, so the folder itself must be writable, not only an
  // existing file in it.
  if (::access(QFile::encodeName(programFolder).constData(), W_OK | X_OK) == 0) return own;
  const QString dataFolder = RequireUserDataFolder();
  // A copy in a shared folder that a user had filled before: starting on an empty file elsewhere
  // would look as if the collection were lost.
  if (HoldsCollection(own)) {
    throw DatabaseError::System(
        EACCES,
        QStringLiteral("The collection '%1' cannot be used: its folder '%2' cannot be written, "
                       "so changes could not be made safely. Make that folder writable for you, "
                       "or move the file into your data folder '%3', then start ReelKeeper again. "
                       "Nothing has been created or changed.")
            .arg(own, programFolder, dataFolder),
        kSource);
  }
  return QDir(dataFolder).filePath(Constants::kDatabaseFileName);
}

QString DatabasePath() { return DatabasePathFor(ProgramFolder()); }

}  // namespace AppFunctions
