#include "app/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

#include "app/Constants.h"
#include "app/DatabaseError.h"
#include "app/DatabasePath.h"

namespace AppFunctions {
namespace {

// The held lock file, -1 while none is held.
int lockFile = -1;
// The held collection lock and its file's path.
int collectionFile = -1;
QString collectionPath;

const QString kSource = QStringLiteral("InstanceLock");

// A folder is private enough for the lock when it is this user's own and nobody else may write
// in it.
bool IsPrivateFolder(const QString& folder) {
  struct stat info {};
  if (folder.isEmpty() || !QDir::isAbsolutePath(folder)) return false;
  if (::stat(QFile::encodeName(folder).constData(), &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 022) == 0;
}

// Opens (creating when missing) a lock file without following a symbolic link, and accepts it
// only as a plain file of this user's own, so that another account can neither point it
// elsewhere nor hold it. Returns -1 with errno set when the file is not usable.
int OpenOwnFile(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(),
                        O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY, 0600);
  if (fd < 0) return -1;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
    ::close(fd);
    errno = EPERM;
    return -1;
  }
  return fd;
}

// True when fd is still the file at path: a copy that ended meanwhile may have removed the file
// this one locked, and a lock on a removed file guards nothing.
bool StillNamed(int fd, const QString& path) {
  struct stat held {};
  struct stat named {};
  return ::fstat(fd, &held) == 0 && ::lstat(QFile::encodeName(path).constData(), &named) == 0 &&
         held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

}  // namespace

QString CollectionLockPath(const QString& databasePath) {
  // Every way to the same file (a link, a relative path) leads to the same lock.
  const QFileInfo file(databasePath);
  QString target = file.canonicalFilePath();
  if (target.isEmpty()) {
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    target = QDir(folder.isEmpty() ? file.absolutePath() : folder).filePath(file.fileName());
  }
  return target + QStringLiteral(".lock");
}

bool CollectionLock(const QString& databasePath) {
  const QString path = CollectionLockPath(databasePath);
  if (collectionFile >= 0) {
    if (path == collectionPath) return true;
    ReleaseCollectionLock();
  }
  while (true) {
    const int fd = OpenOwnFile(path);
    if (fd < 0) return true;
    int rc;
    while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
      const bool held = errno == EWOULDBLOCK;
      ::close(fd);
      return !held;  // a file system without locks: as without a lock file
    }
    if (StillNamed(fd, path)) {
      collectionFile = fd;
      collectionPath = path;
      return true;
    }
    ::close(fd);
  }
}

void ReleaseCollectionLock() {
  if (collectionFile < 0) return;
  // Removed while still held, so that no other copy can lock the name in between.
  if (StillNamed(collectionFile, collectionPath)) {
    ::unlink(QFile::encodeName(collectionPath).constData());
  }
  ::close(collectionFile);
  collectionFile = -1;
  collectionPath.clear();
}

QString InstanceLockPath() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (IsPrivateFolder(runtime)) return QDir(runtime).filePath(Constants::kInstanceLockName);
  return QStringLiteral("/tmp/%1-%2").arg(Constants::kInstanceLockName).arg(::geteuid());
}

bool InstanceLock(bool release) {
  if (release) {
    if (lockFile >= 0) ::close(lockFile);  // closing the file drops the flock
    lockFile = -1;
    return true;
  }
  if (lockFile >= 0) return false;

  const QString path = InstanceLockPath();
  int fd = OpenOwnFile(path);
  if (fd < 0) {
    // Someone else's file (or a link) in the shared /tmp: fall back to the user's own data
    // folder, which every copy of this user reaches the same way.
    const int firstError = errno;
    const QString folder = UserDataFolder();
    QDir().mkpath(folder);
    fd = OpenOwnFile(QDir(folder).filePath(Constants::kInstanceLockName));
    if (fd < 0) {
      throw DatabaseError(firstError,
                          QStringLiteral("The instance lock file '%1' cannot be used: %2")
                              .arg(path, QString::fromLocal8Bit(std::strerror(firstError))),
                          kSource);
    }
  }
  while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (errno == EINTR) continue;
    if (errno == EWOULDBLOCK) {
      // Another copy holds it. The file is kept open like the original marker handle; it blocks
      // nobody, since only the flock counts.
      lockFile = fd;
      return false;
    }
    const int error = errno;
    ::close(fd);
    throw DatabaseError::System(error,
                                QStringLiteral("The instance lock file '%1' cannot be locked: %2")
                                    .arg(path, QString::fromLocal8Bit(std::strerror(error))),
                                kSource);
  }
  lockFile = fd;
  return true;
}

}  // namespace AppFunctions
