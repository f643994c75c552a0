#include "scanner/ScannerFunctions.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <thread>

#include "TestSupport.h"
#include "app/DatabaseError.h"
#include "app/DatabasePath.h"

namespace {

QString BuiltLibrary() {
  return QDir(AppFunctions::ProgramFolder()).filePath(ScannerFunctions::kLibraryFileName);
}

// Start-up stops with a message naming the file when the library cannot serve: a missing file,
// a file that is no library, and a library without the scanner's calls.
TEST(ScannerFunctionsTest, BadLibraryIsRefusedWithTheFileNamed) {
  QTemporaryDir dir;
  const QString text = QDir(dir.path()).filePath(ScannerFunctions::kLibraryFileName);
  {
    QFile file(text);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is text, not a shared object\n");
  }
  using Bad = std::tuple<QString, int, const char*>;
  for (const auto& [path, number, mentions] :
       {Bad(QDir(dir.path()).filePath("gone/" + ScannerFunctions::kLibraryFileName), ENOENT,
            "missing"),
        Bad(text, ELIBBAD, "cannot be loaded"),
        Bad("/lib/x86_64-linux-gnu/libz.so.1", ELIBBAD, "SetDebugCallback")}) {
    if (!QFile::exists(path) && number != ENOENT) GTEST_SKIP() << "no libz here";
    ScannerFunctions::SetLibraryPath(path);
    try {
      ScannerFunctions::HookScanner();
      ADD_FAILURE() << "hooked " << qPrintable(path);
    } catch (const DatabaseError& error) {
      const QString description = error.Description();
      EXPECT_EQ(error.Number(), number) << qPrintable(description);
      EXPECT_TRUE(description.contains(path)) << qPrintable(description);
      EXPECT_TRUE(description.contains(QLatin1String(mentions))) << qPrintable(description);
    }
  }
}

// The library's C calls keep to their buffers: a code is always ended by a zero inside the given
// size, and nothing is complete before a code was captured.
TEST(ScannerLibraryTest, NothingWaitingAndBuffersStayInBounds) {
  void* handle = ::dlopen(QFile::encodeName(BuiltLibrary()).constData(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << ::dlerror();
  auto complete = reinterpret_cast<std::int32_t (*)()>(::dlsym(handle, "GetCodeComplete"));
  auto setComplete = reinterpret_cast<void (*)(std::int32_t)>(::dlsym(handle, "SetCodeComplete"));
  auto barCode = reinterpret_cast<void (*)(char*, std::int32_t)>(::dlsym(handle, "GetBarCode"));
  ASSERT_TRUE(complete && setComplete && barCode);
  EXPECT_EQ(complete(), 0);
  setComplete(1);  // nothing captured: still nothing waiting
  EXPECT_EQ(complete(), 0);
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  barCode(buffer, 4);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(buffer[4], '#');
  ::dlclose(handle);
}

// The program's polls over the real library, fed through its FIFO in a runtime folder of the
// test's own.
class ScannerPollTest : public ::testing::Test {
 protected:
  // Polls as the window timers do until a code is fetched (five seconds at most).
  static bool PollUntilFetched() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!ScannerFunctions::CheckScanner()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
  }

  testsupport::ScannerFeed feed;
};

TEST_F(ScannerPollTest, EachCodeFetchedOnceAndReducedToLettersAndDigits) {
  EXPECT_EQ(ScannerFunctions::LibraryPath(), BuiltLibrary());
  EXPECT_FALSE(ScannerFunctions::CheckScanner());
  feed.Scan("012345- 6789");
  ASSERT_TRUE(PollUntilFetched());
  EXPECT_EQ(ScannerFunctions::ScannedCode(), QStringLiteral("0123456789"));
  // Taken at once: the next poll finds nothing, and the last code stays.
  EXPECT_FALSE(ScannerFunctions::CheckScanner());
  EXPECT_EQ(ScannerFunctions::ScannedCode(), QStringLiteral("0123456789"));
  // Nothing usable in it: the window's sign of an unreadable scan.
  feed.Scan("!-- --!");
  ASSERT_TRUE(PollUntilFetched());
  EXPECT_EQ(ScannerFunctions::ScannedCode(), QString());
}

TEST(ScannerFunctionsTest, WithoutALibraryNothingIsEverWaitingAndNothingCalled) {
  ScannerFunctions::SetLibraryPath(QStringLiteral("/nonexistent/lib.so"));
  EXPECT_FALSE(ScannerFunctions::CheckScanner());
  EXPECT_NO_THROW(ScannerFunctions::SetCodeComplete(0));
  EXPECT_NO_THROW(ScannerFunctions::UnhookScanner());
  ScannerFunctions::SetLibraryPath({});
}

}  // namespace
