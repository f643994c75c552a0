#include "scanner/ScannerFunctions.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstring>

#include "app/DatabaseError.h"
#include "app/DatabasePath.h"

namespace {

QString BuiltLibrary() {
  return QDir(AppFunctions::ProgramFolder()).filePath(ScannerFunctions::kLibraryFileName);
}

TEST(ScannerFunctionsTest, HooksTheLibraryBesideTheExecutable) {
  ScannerFunctions::SetLibraryPath({});
  EXPECT_EQ(ScannerFunctions::LibraryPath(), BuiltLibrary());
  EXPECT_NO_THROW(ScannerFunctions::HookScanner());
  EXPECT_NO_THROW(ScannerFunctions::UnhookScanner());
}

TEST(ScannerFunctionsTest, UnhookWithoutALibraryDoesNothing) {
  ScannerFunctions::SetLibraryPath(QStringLiteral("/nonexistent/lib.so"));
  EXPECT_NO_THROW(ScannerFunctions::UnhookScanner());
}

struct BadLibrary {
  const char* name;
  int number;
  const char* mentions;
};

void PrintTo(const BadLibrary& c, std::ostream* os) { *os << c.name; }

class ScannerBadLibraryTest : public ::testing::TestWithParam<BadLibrary> {};

// Start-up stops with a message naming the file when the library cannot serve.
TEST_P(ScannerBadLibraryTest, RefusedWithTheFileNamed) {
  QTemporaryDir dir;
  QString path = QDir(dir.path()).filePath(ScannerFunctions::kLibraryFileName);
  const QString kind = GetParam().name;
  if (kind == u"NotALibrary") {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is text, not a shared object\n");
  } else if (kind == u"LacksTheCalls") {
    path = QStringLiteral("/lib/x86_64-linux-gnu/libz.so.1");
    if (!QFile::exists(path)) GTEST_SKIP() << "no libz here";
  }
  ScannerFunctions::SetLibraryPath(path);
  try {
    ScannerFunctions::HookScanner();
    FAIL() << "hooked";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.Number(), GetParam().number);
    EXPECT_TRUE(error.Description().contains(path)) << qPrintable(error.Description());
    EXPECT_TRUE(error.Description().contains(QLatin1String(GetParam().mentions)))
        << qPrintable(error.Description());
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, ScannerBadLibraryTest,
                         ::testing::Values(BadLibrary{"Missing", ENOENT, "missing"},
                                           BadLibrary{"NotALibrary", ELIBBAD, "cannot be loaded"},
                                           BadLibrary{"LacksTheCalls", ELIBBAD,
                                                      "SetDebugCallback"}),
                         [](const auto& info) { return std::string(info.param.name); });

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

// The library as it is captures nothing: the polls find nothing waiting, whether it is loaded or
// not, and the last code stays empty.
TEST(ScannerFunctionsTest, NothingWaitingMeansNoCodeAndNoCall) {
  ScannerFunctions::SetLibraryPath(QStringLiteral("/nonexistent/lib.so"));
  EXPECT_FALSE(ScannerFunctions::CheckScanner());
  EXPECT_NO_THROW(ScannerFunctions::SetCodeComplete(0));
  ScannerFunctions::SetLibraryPath({});
  ScannerFunctions::HookScanner();
  EXPECT_FALSE(ScannerFunctions::CheckScanner());
  ScannerFunctions::SetCodeComplete(0);
  EXPECT_FALSE(ScannerFunctions::CheckScanner());
  EXPECT_EQ(ScannerFunctions::ScannedCode(), QString());
  ScannerFunctions::UnhookScanner();
}

}  // namespace
