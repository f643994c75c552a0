#include "data/FileSystem.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "app/DatabaseError.h"

namespace FileSystem {
namespace {

[[noreturn]] void Fail(const QString& what, const QString& path) {
  const int error = errno;
  throw DatabaseError::System(
      error,
      QStringLiteral("%1 '%2': %3").arg(what, path, QString::fromLocal8Bit(std::strerror(error))),
      QStringLiteral("FileSystem"));
}

void Sync(const QString& path, int flags, const QString& what) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::open(name.constData(), flags | O_CLOEXEC);
  if (fd < 0) Fail(what, path);
  if (::fsync(fd) != 0 && errno != EINVAL) {
    const int error = errno;
    ::close(fd);
    errno = error;
    Fail(what, path);
  }
  ::close(fd);
}

}  // namespace

void SyncFile(const QString& path) { Sync(path, O_RDONLY, QStringLiteral("Could not flush")); }

void SyncFolder(const QString& folder) {
  Sync(folder, O_RDONLY | O_DIRECTORY, QStringLiteral("Could not flush the folder"));
}

void RenameReplacing(const QString& from, const QString& to) {
  if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0) {
    Fail(QStringLiteral("Could not rename '%1' to").arg(from), to);
  }
  SyncFolder(QFileInfo(to).absolutePath());
}

void RemoveIfExists(const QString& path) {
  if (::unlink(QFile::encodeName(path).constData()) != 0 && errno != ENOENT) {
    Fail(QStringLiteral("Could not remove"), path);
  }
}

bool CanWrite(const QString& path) {
  return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

}  // namespace FileSystem
