#include "EvdevReader.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>

#include "ScannerLog.h"

namespace scannerlib {
namespace {

// The keys from KEY_ESC to KEY_SPACE, by key code, as a US layout types them.
constexpr char kPlain[] =
    "\0\0"
    "1234567890-=\0\0"
    "qwertyuiop[]\0\0"
    "asdfghjkl;'`\0\\"
    "zxcvbnm,./\0*\0 ";
constexpr char kShifted[] =
    "\0\0"
    "!@#$%^&*()_+\0\0"
    "QWERTYUIOP{}\0\0"
    "ASDFGHJKL:\"~\0|"
    "ZXCVBNM<>?\0*\0 ";
static_assert(sizeof kPlain - 1 == KEY_SPACE + 1 && sizeof kShifted == sizeof kPlain);

constexpr std::size_t kMaximumCode = 4096;

}  // namespace

EvdevReader::EvdevReader(CodeHandover& handover, std::string device, int retryMs)
    : handover_(handover),
      device_(std::move(device)),
      source_(std::string(kDeviceSource) + " " + device_),
      retryMs_(retryMs) {}

EvdevReader::~EvdevReader() { Stop(); }

char EvdevReader::KeyCharacter(int code, bool shift) {
  if (code >= 0 && code <= KEY_SPACE) return shift ? kShifted[code] : kPlain[code];
  switch (code) {
    case KEY_KP0:
      return '0';
    case KEY_KP1:
      return '1';
    case KEY_KP2:
      return '2';
    case KEY_KP3:
      return '3';
    case KEY_KP4:
      return '4';
    case KEY_KP5:
      return '5';
    case KEY_KP6:
      return '6';
    case KEY_KP7:
      return '7';
    case KEY_KP8:
      return '8';
    case KEY_KP9:
      return '9';
    case KEY_KPDOT:
      return '.';
    case KEY_KPMINUS:
      return '-';
    case KEY_KPPLUS:
      return '+';
    case KEY_KPSLASH:
      return '/';
    default:
      return 0;
  }
}

namespace {

// Empty when fd is an input device (or a FIFO standing in for one), else what it is instead.
std::string NotAnInputDevice(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return std::strerror(errno);
  if (S_ISFIFO(info.st_mode)) return {};
  if (S_ISDIR(info.st_mode)) return "it is a folder";
  if (!S_ISCHR(info.st_mode)) return "it is a file, not a device";
  int version = 0;
  if (::ioctl(fd, EVIOCGVERSION, &version) != 0) return "it is a device that gives no key events";
  return {};
}

}  // namespace

void EvdevReader::Run() {
  // Tries grow apart up to this while the device stays away or ends at once, so that a setting
  // that names the wrong thing costs no processor time.
  constexpr int kLongestWaitMs = 4000;
  int waitMs = retryMs_;
  bool told = false;  // the user knows of the present outage; no warning at every try
  while (true) {
    const int fd = ::open(device_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      if (!told) {
        Warn("the scanner device " + device_ + " cannot be opened (" + std::strerror(errno) +
             "); it is used as soon as it can be");
      }
      told = true;
    } else if (const std::string what = NotAnInputDevice(fd); !what.empty()) {
      ::close(fd);
      Warn("the scanner device " + device_ + " is not an input device (" + what +
           "); REELKEEPER_SCANNER_DEVICE must name one, such as /dev/input/by-id/...-event-kbd");
      WaitFor(-1, -1);
      return;
    } else {
      // A device that cannot be grabbed still works, but its keys also reach the focused
      // window. A FIFO standing in for a device has nothing to grab.
      if (::ioctl(fd, EVIOCGRAB, 1) != 0 && errno != ENOTTY && errno != EINVAL) {
        Warn("the scanner device " + device_ + " cannot be taken for ReelKeeper alone (" +
             std::strerror(errno) + "); its keys also reach the window in front");
      }
      Note("reading the scanner device " + device_);
      leftShift_ = rightShift_ = false;
      code_.clear();
      bool read = false;
      const bool stopping = ReadDevice(fd, read);
      ::close(fd);  // which also lets go of the grab
      if (stopping) return;
      if (read) {
        // It worked for a while: a new outage begins, tried again soon and told again.
        told = false;
        waitMs = retryMs_;
      }
      if (!told)
        Warn("the scanner device " + device_ + " is gone; it is used again when it comes back");
      told = true;
    }
    if (WaitFor(-1, waitMs) == Wait::Stopping) return;
    waitMs = std::min(waitMs * 2, std::max(retryMs_, kLongestWaitMs));
  }
}

bool EvdevReader::ReadDevice(int fd, bool& read) {
  input_event events[64];
  std::size_t have = 0;  // bytes in events, a partial event at the end kept for the next read
  auto* bytes = reinterpret_cast<char*>(events);
  while (true) {
    if (WaitFor(fd, -1) == Wait::Stopping) return true;
    const ssize_t count = ::read(fd, bytes + have, sizeof events - have);
    if (count < 0 && (errno == EAGAIN || errno == EINTR)) continue;
    if (count <= 0) return false;  // ENODEV once unplugged; the end of a stand-in FIFO
    read = true;
    have += std::size_t(count);
    const std::size_t whole = have / sizeof(input_event);
    for (std::size_t i = 0; i < whole; ++i) {
      if (events[i].type == EV_KEY) Key(events[i].code, events[i].value);
    }
    have -= whole * sizeof(input_event);
    std::memmove(bytes, bytes + whole * sizeof(input_event), have);
  }
}

void EvdevReader::Key(int code, int value) {
  if (code == KEY_LEFTSHIFT || code == KEY_RIGHTSHIFT) {
    (code == KEY_LEFTSHIFT ? leftShift_ : rightShift_) = value != 0;
    return;
  }
  if (value != 1) return;  // releases and the key repeat
  if (code == KEY_ENTER || code == KEY_KPENTER || code == KEY_TAB) {
    if (!code_.empty()) handover_.Offer(source_, code_);
    code_.clear();
    return;
  }
  const char c = KeyCharacter(code, leftShift_ || rightShift_);
  if (c != 0 && code_.size() < kMaximumCode) code_.push_back(c);
}

}  // namespace scannerlib
