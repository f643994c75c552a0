#include "data/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
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

long OpenElsewhere(const QString& path) {
  struct stat file {};
  if (::stat(QFile::encodeName(path).constData(), &file) != 0) return 0;
  const long self = long(::getpid());
  // Every process's open files are links under /proc/<pid>/fd; stat follows them to the file.
  const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
  for (const QString& process : processes) {
    bool number = false;
    const long pid = process.toLong(&number);
    if (!number || pid == self) continue;
    const QString fds = QStringLiteral("/proc/%1/fd").arg(pid);
    for (const QString& fd : QDir(fds).entryList(QDir::Files | QDir::System)) {
      struct stat open {};
      if (::stat(QFile::encodeName(fds + u'/' + fd).constData(), &open) == 0 &&
          open.st_dev == file.st_dev && open.st_ino == file.st_ino) {
        return pid;
      }
    }
  }
  return 0;
}

void CopyFlushed(const QString& from, const QString& to) {
  const QString temporary = to + QStringLiteral(".part");
  const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
  if (in < 0) Fail(QStringLiteral("Could not read"), from);
  struct stat info {};
  ::fstat(in, &info);
  const int out = ::open(QFile::encodeName(temporary).constData(),
                         O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (out < 0) {
    const int error = errno;
    ::close(in);
    errno = error;
    Fail(QStringLiteral("Could not make"), temporary);
  }
  char buffer[65536];
  ssize_t count = 0;
  bool written = true;
  while ((count = ::read(in, buffer, sizeof buffer)) > 0 && written) {
    for (ssize_t done = 0; done < count && written;) {
      const ssize_t step = ::write(out, buffer + done, std::size_t(count - done));
      written = step > 0;
      done += std::max<ssize_t>(step, 0);
    }
  }
  const bool complete =
      count == 0 && written && ::fchmod(out, info.st_mode & 07777) == 0 && ::fsync(out) == 0;
  const int error = errno;
  ::close(in);
  ::close(out);
  if (!complete) {
    ::unlink(QFile::encodeName(temporary).constData());
    errno = error == 0 ? EIO : error;
    Fail(QStringLiteral("Could not copy to"), to);
  }
  RenameReplacing(temporary, to);
}

}  // namespace FileSystem
