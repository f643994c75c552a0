#include "app/DatabasePath.h"

#include <pwd.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "app/Constants.h"

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
  // The journal is written beside the file, so the folder itself must be writable, not only an
  // existing file in it.
  const bool writable = ::access(QFile::encodeName(programFolder).constData(), W_OK | X_OK) == 0;
  const QString folder = writable ? programFolder : UserDataFolder();
  return QDir(folder).filePath(Constants::kDatabaseFileName);
}

QString DatabasePath() { return DatabasePathFor(ProgramFolder()); }

}  // namespace AppFunctions
