#include "app/DatabasePath.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>

#include "app/Constants.h"
#include "app/DatabaseError.h"

namespace AppFunctions {

QString ProgramFolder() {
  // /proc/self/exe names the file that was executed, whatever the current folder or argv[0] say.
  const QString executable = QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
  if (executable.isEmpty()) return QDir::currentPath();
  return QFileInfo(executable).absolutePath();
}

QString UserDataFolder() {
  QString base = qEnvironmentVariable("XDG_DATA_HOME");
  // The XDG rules say a relative value is to be ignored.
  if (base.isEmpty() || !QDir::isAbsolutePath(base)) {
    QString home = qEnvironmentVariable("HOME");
    if (home.isEmpty() || !QDir::isAbsolutePath(home)) {
      if (const passwd* entry = ::getpwuid(::geteuid())) home = QFile::decodeName(entry->pw_dir);
    }
    base = QDir(home).filePath(QStringLiteral(".local/share"));
  }
  return QDir::cleanPath(QDir(base).filePath(QStringLiteral("ReelKeeper")));
}

QString DatabasePathFor(const QString& programFolder) {
  const QString own = QDir(programFolder).filePath(Constants::kDatabaseFileName);
  // The journal is written beside the file, so the folder itself must be writable, not only an
  // existing file in it.
  if (::access(QFile::encodeName(programFolder).constData(), W_OK | X_OK) == 0) return own;
  const QString dataFolder = UserDataFolder();
  // An installed copy that a user had filled before: starting on an empty file elsewhere would
  // look as if the collection were lost. An empty file holds nothing and does not count.
  const QFileInfo existing(own);
  if (existing.isSymLink() || (existing.exists() && existing.size() > 0)) {
    throw DatabaseError::System(
        EACCES,
        QStringLiteral("The collection '%1' cannot be used: its folder '%2' cannot be written, "
                       "so changes could not be made safely. Make that folder writable for you, "
                       "or move the file into your data folder '%3', then start ReelKeeper again. "
                       "Nothing has been created or changed.")
            .arg(own, programFolder, dataFolder),
        QStringLiteral("DatabasePath"));
  }
  return QDir(dataFolder).filePath(Constants::kDatabaseFileName);
}

QString DatabasePath() { return DatabasePathFor(ProgramFolder()); }

}  // namespace AppFunctions
