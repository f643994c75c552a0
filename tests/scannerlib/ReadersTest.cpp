// The sources that read on threads of their own: the feed (a FIFO any script can write codes
// into) and an input device. This machine has no input devices, so a FIFO stands in for one.
#include <fcntl.h>
#include <grp.h>
#include <linux/input.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <mutex>
#include <string>
#include <vector>

#include "CodeHandover.h"
#include "EvdevReader.h"
#include "FeedReader.h"
#include "ScannerLog.h"

namespace {

using scannerlib::CodeHandover;
using scannerlib::EvdevReader;
using scannerlib::FeedReader;

std::string Native(const QString& path) { return QFile::encodeName(path).toStdString(); }

mode_t Mode(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
}

// Takes the codes the sources hand over until count have come (or five seconds passed).
std::vector<std::string> TakeCodes(CodeHandover& handover, std::size_t count) {
  std::vector<std::string> codes;
  (void)QTest::qWaitFor(
      [&] {
        for (; handover.Waiting(); handover.Take()) codes.push_back(handover.First().barCode);
        return codes.size() >= count;
      },
      5000);
  return codes;
}

// A writer for a FIFO, once somebody reads it.
int OpenWriter(const std::string& path) {
  int fd = -1;
  (void)QTest::qWaitFor(
      [&] { return (fd = ::open(path.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0; }, 5000);
  return fd;
}

void Write(int fd, const std::string& bytes) {
  ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
}

struct Runtime {
  const char* name;
  mode_t mode;  // of the runtime folder; 0: the variable is relative
  bool used;
};

void PrintTo(const Runtime& r, std::ostream* os) { *os << r.name; }

class FeedFolderTest : public ::testing::TestWithParam<Runtime> {};

TEST_P(FeedFolderTest, RuntimeFolderOnlyWhenPrivate) {
  QTemporaryDir runtime;
  ::chmod(QFile::encodeName(runtime.path()).constData(), GetParam().mode);
  const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", GetParam().mode ? QFile::encodeName(runtime.path()) : "run/user");
  const std::string folder = FeedReader::FeedFolder();
  qputenv("XDG_RUNTIME_DIR", saved);
  EXPECT_EQ(folder, GetParam().used ? Native(runtime.path()) + "/ReelKeeper"
                                    : "/tmp/ReelKeeper-" + std::to_string(::geteuid()));
}

INSTANTIATE_TEST_SUITE_P(Folders, FeedFolderTest,
                         ::testing::Values(Runtime{"Private", 0700, true},
                                           Runtime{"OthersMayWrite", 0773, false},
                                           Runtime{"Relative", 0, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FeedTest, MadePrivateAndReadALineAtATime) {
  QTemporaryDir dir;
  const std::string folder = Native(dir.path()) + "/ReelKeeper";
  CodeHandover handover;
  FeedReader feed(handover);
  ASSERT_TRUE(feed.Start(folder));
  EXPECT_EQ(Mode(folder), 0700u);
  EXPECT_EQ(Mode(feed.Path()), 0600u);

  const int writer = OpenWriter(feed.Path());
  ASSERT_GE(writer, 0);
  // Blank lines and lines far too long for a bar code (also across reads) are no codes.
  Write(writer, "A1\nB2\r\n\n" + std::string(9000, 'x') + "\n");
  Write(writer, "C");
  Write(writer, "3\n");
  ::close(writer);
  EXPECT_EQ(TakeCodes(handover, 3), (std::vector<std::string>{"A1", "B2", "C3"}));
}

struct Refusal {
  const char* name;
  const char* why;
};

void PrintTo(const Refusal& r, std::ostream* os) { *os << r.name; }

class FeedRefusedTest : public ::testing::TestWithParam<Refusal> {};

// Another account must neither read the codes nor slip codes in; what is found is left alone.
TEST_P(FeedRefusedTest, LeftAsItIsWithTheReason) {
  QTemporaryDir dir;
  const std::string folder = Native(dir.path()) + "/ReelKeeper";
  const std::string fifo = folder + "/scanner";
  const std::string kind = GetParam().name;
  if (kind == "FolderIsALink") {
    ::mkdir((folder + "-elsewhere").c_str(), 0700);
    ASSERT_EQ(::symlink((folder + "-elsewhere").c_str(), folder.c_str()), 0);
  } else {
    ::mkdir(folder.c_str(), 0700);
  }
  if (kind == "FolderOpenToOthers") ::chmod(folder.c_str(), 0755);
  if (kind == "NotAFifo") {
    QFile file(QFile::decodeName(fifo.c_str()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("123\n");
  }
  if (kind == "FifoOthersMayWrite") {
    ::mkfifo(fifo.c_str(), 0600);
    ::chmod(fifo.c_str(), 0622);
  }
  const mode_t before = Mode(fifo);
  std::string why;
  EXPECT_EQ(FeedReader::OpenFeed(folder, why), -1);
  EXPECT_NE(why.find(GetParam().why), std::string::npos) << why;
  EXPECT_EQ(Mode(fifo), before);
  if (kind == "NotAFifo") {
    EXPECT_EQ(QFileInfo(QFile::decodeName(fifo.c_str())).size(), 4);
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FeedRefusedTest,
                         ::testing::Values(Refusal{"NotAFifo", "not a FIFO"},
                                           Refusal{"FifoOthersMayWrite", "others may use it"},
                                           Refusal{"FolderOpenToOthers", "not private"},
                                           Refusal{"FolderIsALink", "a link is not accepted"}),
                         [](const auto& info) { return std::string(info.param.name); });

// A runtime folder the user cannot write in: the feed goes where the instance lock goes then.
// Run as "nobody" in a child, since root may write anywhere.
TEST(FeedTest, RuntimeFolderThatCannotBeWrittenFallsBackToTmp) {
  const passwd* nobody = ::getpwnam("nobody");
  ASSERT_NE(nobody, nullptr);
  QTemporaryDir runtime;
  const std::string folder = Native(runtime.path());
  ASSERT_EQ(::chown(folder.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
  ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
  const std::string fallback = "/tmp/ReelKeeper-" + std::to_string(nobody->pw_uid);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
        ::setuid(nobody->pw_uid) != 0) {
      ::_exit(2);
    }
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    CodeHandover handover;
    FeedReader feed(handover);
    ::_exit(feed.Start() && feed.Path() == fallback + "/scanner" ? 0 : 1);
  }
  int status = -1;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ::unlink((fallback + "/scanner").c_str());
  ::rmdir(fallback.c_str());
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

std::string KeyEvents(std::initializer_list<std::pair<int, int>> keys) {
  std::string bytes;
  for (const auto& [code, value] : keys) {
    input_event event{};
    event.type = EV_KEY;
    event.code = std::uint16_t(code);
    event.value = value;
    bytes.append(reinterpret_cast<const char*>(&event), sizeof event);
  }
  return bytes;
}

std::string Tap(int code) { return KeyEvents({{code, 1}, {code, 0}}); }

TEST(EvdevReaderTest, ReadsAUsKeyboardAndWaitsForTheDeviceToComeBack) {
  QTemporaryDir dir;
  const std::string device = Native(dir.path()) + "/usb-scanner-event-kbd";
  ASSERT_EQ(::mkfifo(device.c_str(), 0600), 0);
  CodeHandover handover;
  EvdevReader reader(handover, device, 20);
  reader.Start();

  int writer = OpenWriter(device);
  ASSERT_GE(writer, 0);
  // A capital with Shift held, a key repeat that types nothing more, the keypad, and Enter.
  Write(writer,
        KeyEvents({{KEY_LEFTSHIFT, 1}, {KEY_A, 1}, {KEY_A, 2}, {KEY_A, 0}, {KEY_LEFTSHIFT, 0}}) +
            Tap(KEY_B) + Tap(KEY_1) + Tap(KEY_KP2) + Tap(KEY_MINUS) + Tap(KEY_ENTER));
  ASSERT_TRUE(QTest::qWaitFor([&] { return handover.Waiting(); }, 5000));
  EXPECT_EQ(handover.First().barCode, "Ab12-");
  EXPECT_EQ(handover.First().scannerId, "EVDEV " + device);
  handover.Take();

  // Unplugged in the middle of a code: the part read is dropped; plugged in again, it is read.
  Write(writer, Tap(KEY_7));
  ::unlink(device.c_str());
  ::close(writer);
  ASSERT_EQ(::mkfifo(device.c_str(), 0600), 0);
  writer = OpenWriter(device);
  ASSERT_GE(writer, 0);
  Write(writer, Tap(KEY_9) + Tap(KEY_KPENTER));
  EXPECT_EQ(TakeCodes(handover, 1), std::vector<std::string>{"9"});
  ::close(writer);
}

}  // namespace

namespace {

// What the library has said, through its debug routine.
std::mutex saidMutex;
std::string said;
void Hear(unsigned char byte) {
  std::lock_guard<std::mutex> lock(saidMutex);
  said.push_back(char(byte));
}
std::size_t Count(const std::string& text) {
  std::lock_guard<std::mutex> lock(saidMutex);
  std::size_t count = 0;
  for (std::size_t at = 0; (at = said.find(text, at)) != std::string::npos; at += text.size()) {
    ++count;
  }
  return count;
}

// A device setting that names something else is refused once, and never read: reading /dev/zero
// or a file again and again would keep a processor busy.
class EvdevRefusedTest : public ::testing::TestWithParam<const char*> {};

TEST_P(EvdevRefusedTest, RefusedWithOneMessageAndNeverRead) {
  QTemporaryDir dir;
  std::string device = GetParam();
  if (device == "file") {
    device = Native(dir.path()) + "/scanner";
    QFile file(QFile::decodeName(device.c_str()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(KeyEvents({{KEY_1, 1}, {KEY_ENTER, 1}}).c_str(), 48);
  } else if (device == "folder") {
    device = Native(dir.path());
  }
  said.clear();
  scannerlib::SetDebugCallback(&Hear);
  CodeHandover handover;
  {
    EvdevReader reader(handover, device, 1);
    reader.Start();
    ASSERT_TRUE(QTest::qWaitFor([] { return Count("is not an input device") > 0; }, 5000));
    QTest::qWait(200);
  }
  scannerlib::SetDebugCallback(nullptr);
  EXPECT_EQ(Count("is not an input device"), 1u);
  EXPECT_EQ(Count("reading the scanner device"), 0u);
  EXPECT_FALSE(handover.Waiting());
}

INSTANTIATE_TEST_SUITE_P(Kinds, EvdevRefusedTest, ::testing::Values("/dev/zero", "file", "folder"),
                         [](const auto& info) {
                           const std::string kind = info.param;
                           return kind == "file" ? "File" : kind == "folder" ? "Folder" : "DevZero";
                         });

}  // namespace
