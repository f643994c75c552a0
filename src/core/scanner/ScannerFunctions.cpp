#include "scanner/ScannerFunctions.h"

#include <dlfcn.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstdint>

#include "app/DatabaseError.h"
#include "app/DatabasePath.h"
#include "app/TextFunctions.h"

namespace ScannerFunctions {
namespace {

using DebugCallback = void (*)(unsigned char);

// The library's eight calls, resolved together so that a library lacking one is refused at
// once rather than at the first scan.
struct ScannerLibrary {
  void (*SetDebugCallback)(DebugCallback) = nullptr;
  void (*SetHook)() = nullptr;
  void (*UnHook)() = nullptr;
  std::int32_t (*GetCodeComplete)() = nullptr;
  void (*GetScannerID)(char*, std::int32_t) = nullptr;
  void (*GetCodeType)(char*, std::int32_t) = nullptr;
  void (*GetBarCode)(char*, std::int32_t) = nullptr;
  void (*SetCodeComplete)(std::int32_t) = nullptr;
};

// The loaded library stays loaded for the life of the process: it may run a thread of its own.
ScannerLibrary library;
bool loaded = false;
QString libraryPath;

const QString kSource = QStringLiteral("ScannerFunctions");

// The three buffers handed to the library: each of its fixed length plus a terminating zero, filled
// with blanks before every fetch. Only the code is read afterwards.
constexpr int kBufferLength = 255;
QByteArray scanID(kBufferLength, ' ');
QByteArray scanType(kBufferLength, ' ');
QByteArray scanCode(kBufferLength, ' ');

const QString kUsableCharacters =
    QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ");

// Hands one blank buffer to a getter and keeps whatever the library left in it.
void Fetch(void (*getter)(char*, std::int32_t), QByteArray& buffer) {
  QByteArray handed(kBufferLength + 1, ' ');
  handed[kBufferLength] = '\0';
  getter(handed.data(), std::int32_t(handed.size()));
  buffer = handed.left(kBufferLength);
}

[[noreturn]] void Fail(int number, const QString& path, const QString& why) {
  throw DatabaseError::System(
      number, QStringLiteral("The scanner library '%1' cannot be loaded: %2").arg(path, why),
      kSource);
}

template <typename Function>
void Resolve(void* handle, const char* name, Function& target, const QString& path) {
  void* symbol = ::dlsym(handle, name);
  if (!symbol) Fail(ELIBBAD, path, QStringLiteral("it has no call %1.").arg(QLatin1String(name)));
  target = reinterpret_cast<Function>(symbol);
}

void Load() {
  if (loaded) return;
  const QString path = LibraryPath();
  if (!QFileInfo(path).isFile()) {
    const QString beside = QDir(AppFunctions::ProgramFolder()).filePath(kLibraryFileName);
    // Neither place has it: name both, whichever kind of copy the user meant to start.
    Fail(ENOENT, path,
         libraryPath.isEmpty() && path != beside
             ? QStringLiteral("the file is missing, and it is not beside the program ('%1') "
                              "either.")
                   .arg(beside)
             : QStringLiteral("the file is missing."));
  }
  ::dlerror();
  void* handle = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) {
    const char* why = ::dlerror();
    Fail(ELIBBAD, path, QString::fromLocal8Bit(why ? why : "unknown error"));
  }
  ScannerLibrary calls;
  try {
    Resolve(handle, "SetDebugCallback", calls.SetDebugCallback, path);
    Resolve(handle, "SetHook", calls.SetHook, path);
    Resolve(handle, "UnHook", calls.UnHook, path);
    Resolve(handle, "GetCodeComplete", calls.GetCodeComplete, path);
    Resolve(handle, "GetScannerID", calls.GetScannerID, path);
    Resolve(handle, "GetCodeType", calls.GetCodeType, path);
    Resolve(handle, "GetBarCode", calls.GetBarCode, path);
    Resolve(handle, "SetCodeComplete", calls.SetCodeComplete, path);
  } catch (...) {
    ::dlclose(handle);
    throw;
  }
  library = calls;
  loaded = true;
}

}  // namespace

void ScannerDebug(unsigned char /*byte*/) {}

QString LibraryPath() {
  if (!libraryPath.isEmpty()) return libraryPath;
  const QString folder = AppFunctions::ProgramFolder();
  if (!AppFunctions::IsInstalledCopy(folder)) return QDir(folder).filePath(kLibraryFileName);
  return QDir(AppFunctions::InstalledLibraryFolder(folder)).filePath(kLibraryFileName);
}

void SetLibraryPath(const QString& path) {
  // Another library is loaded at the next HookScanner; the old one stays mapped, as code of it
  // may still run.
  if (path != libraryPath) loaded = false;
  libraryPath = path;
}

void HookScanner() {
  Load();
  library.SetDebugCallback(&ScannerDebug);
  library.SetHook();
}

void UnhookScanner() {
  if (loaded) library.UnHook();
}

bool CheckScanner() {
  if (!loaded || library.GetCodeComplete() == 0) return false;
  Fetch(library.GetScannerID, scanID);
  Fetch(library.GetCodeType, scanType);
  Fetch(library.GetBarCode, scanCode);
  library.SetCodeComplete(0);
  return true;
}

QString ScannedCode() {
  return TextFunctions::FilterChars(QString::fromLatin1(scanCode), kUsableCharacters, QString());
}

void SetCodeComplete(qint32 complete) {
  if (loaded) library.SetCodeComplete(complete);
}

}  // namespace ScannerFunctions
