#include "FeedReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "ScannerLog.h"

namespace scannerlib {
namespace {

// The runtime folder counts when it is this user's own and nobody else may write in it (the
// same test as for the program's instance lock).
bool IsPrivateFolder(const char* folder) {
  struct stat info {};
  if (folder == nullptr || folder[0] != '/') return false;
  if (::stat(folder, &info) != 0) return false;
  return S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 022) == 0;
}

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

// Closes a descriptor when it goes out of scope unless released.
struct Descriptor {
  int fd = -1;
  ~Descriptor() {
    if (fd >= 0) ::close(fd);
  }
  int Release() { return std::exchange(fd, -1); }
};

}  // namespace

FeedReader::FeedReader(CodeHandover& handover) : handover_(handover) {}

FeedReader::~FeedReader() {
  Stop();
  if (fd_ >= 0) ::close(fd_);
}

std::string FeedReader::FeedFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (IsPrivateFolder(runtime)) return std::string(runtime) + "/ReelKeeper";
  return FallbackFolder();
}

std::string FeedReader::FallbackFolder() {
  char folder[64];
  std::snprintf(folder, sizeof folder, "/tmp/ReelKeeper-%lu",
                static_cast<unsigned long>(::geteuid()));
  return folder;
}

int FeedReader::OpenFeed(const std::string& folder, std::string& why) {
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    why = SystemError("the folder cannot be made");
    return -1;
  }
  // Opened without following a link, then checked through the open descriptor: in a shared
  // folder such as /tmp another account could otherwise put something of its own in its place.
  Descriptor dir{::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)};
  if (dir.fd < 0) {
    why = SystemError("the folder cannot be opened (a link is not accepted)");
    return -1;
  }
  struct stat info {};
  if (::fstat(dir.fd, &info) != 0 || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    why = "the folder is not private (it must be the user's own, mode 0700)";
    return -1;
  }
  if (::mkfifoat(dir.fd, kFeedName, 0600) != 0 && errno != EEXIST) {
    why = SystemError("the FIFO cannot be made");
    return -1;
  }
  if (::fstatat(dir.fd, kFeedName, &info, AT_SYMLINK_NOFOLLOW) != 0) {
    why = SystemError("the FIFO cannot be examined");
    return -1;
  }
  if (!S_ISFIFO(info.st_mode)) {
    why = "it is not a FIFO; remove it, and the next start makes one";
    return -1;
  }
  if (info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
    why = "others may use it (it must be the user's own, mode 0600)";
    return -1;
  }
  // Opened for writing too, so that the FIFO never reads as ended between two writers.
  Descriptor fifo{::openat(dir.fd, kFeedName, O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC)};
  struct stat opened {};
  if (fifo.fd < 0 || ::fstat(fifo.fd, &opened) != 0 || opened.st_ino != info.st_ino ||
      opened.st_dev != info.st_dev) {
    why = "the FIFO changed while it was opened";
    return -1;
  }
  return fifo.Release();
}

bool FeedReader::Start(const std::string& folder) {
  path_ = folder + "/" + kFeedName;
  std::string why;
  fd_ = OpenFeed(folder, why);
  if (fd_ < 0) {
    Warn("the feed " + path_ + " is refused: " + why);
    return false;
  }
  Note("reading the feed " + path_);
  return StartThread();
}

bool FeedReader::Start() {
  const std::string folder = FeedFolder();
  if (Start(folder)) return true;
  const std::string fallback = FallbackFolder();
  if (folder == fallback) return false;
  Note("the feed is made in " + fallback + " instead");
  return Start(fallback);
}

void FeedReader::Run() {
  char buffer[4096];
  while (WaitFor(fd_, -1) == Wait::Ready) {
    const ssize_t count = ::read(fd_, buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      Warn(SystemError("the feed " + path_ + " cannot be read"));
      return;
    }
    partial_.append(buffer, std::size_t(count));
    TakeLines();
  }
}

void FeedReader::TakeLines() {
  std::size_t start = 0;
  for (std::size_t end; (end = partial_.find('\n', start)) != std::string::npos; start = end + 1) {
    std::string line = partial_.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (overlong_ || line.size() > kMaximumLine) {
      overlong_ = false;
      Note("an over-long line in the feed is dropped");
    } else if (!line.empty()) {
      handover_.Offer(kFeedSource, line);
    }
  }
  partial_.erase(0, start);
  if (partial_.size() > kMaximumLine) {
    overlong_ = true;
    partial_.clear();
  }
}

}  // namespace scannerlib
