#include "ReaderThread.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>

#include "ScannerLog.h"

namespace scannerlib {

ReaderThread::~ReaderThread() { Stop(); }

bool ReaderThread::StartThread() {
  wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) {
    Warn(std::string("no reader thread: ") + std::strerror(errno));
    return false;
  }
  thread_ = std::thread([this] { Run(); });
  return true;
}

void ReaderThread::Stop() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    while (::write(wake_, &one, sizeof one) < 0 && errno == EINTR) {
    }
    thread_.join();
  }
  if (wake_ >= 0) ::close(wake_);
  wake_ = -1;
}

ReaderThread::Wait ReaderThread::WaitFor(int fd, int timeoutMs) const {
  pollfd fds[2] = {{wake_, POLLIN, 0}, {fd, POLLIN, 0}};
  const nfds_t count = fd >= 0 ? 2 : 1;
  while (true) {
    const int ready = ::poll(fds, count, timeoutMs);
    if (ready < 0 && errno == EINTR) continue;
    if (ready < 0) {
      Warn(std::string("a reader stops: ") + std::strerror(errno));
      return Wait::Stopping;
    }
    if (fds[0].revents != 0) return Wait::Stopping;
    if (ready == 0) return Wait::TimedOut;
    return Wait::Ready;
  }
}

}  // namespace scannerlib
