#include "ScannerLib.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "CodeHandover.h"
#include "EvdevReader.h"
#include "FeedReader.h"
#include "KeyFilter.h"
#include "ScannerLog.h"

namespace {

using namespace scannerlib;

struct Library {
  CodeHandover handover;
  bool hooked = false;
  QPointer<KeyFilter> keys;
  std::unique_ptr<FeedReader> feed;
  std::unique_ptr<EvdevReader> device;
};

// Never destroyed: whatever order the process ends in, no reader thread outlives its state.
Library& TheLibrary() {
  static Library* library = new Library;
  return *library;
}

void CopyOut(const std::string& text, char* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return;
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

// The key filter needs the program's GUI application and must live on its thread.
QGuiApplication* KeyboardApplication() {
  auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
  return app && QThread::currentThread() == app->thread() ? app : nullptr;
}

}  // namespace

extern "C" {

void SetDebugCallback(RkScannerDebugCallback callback) { scannerlib::SetDebugCallback(callback); }

void SetHook(void) {
  Library& library = TheLibrary();
  if (library.hooked) return;
  library.hooked = true;
  if (QGuiApplication* app = KeyboardApplication()) {
    library.keys = new KeyFilter(library.handover, app);
    app->installEventFilter(library.keys);
  }
  library.feed = std::make_unique<FeedReader>(library.handover);
  library.feed->Start();
  const char* device = std::getenv("REELKEEPER_SCANNER_DEVICE");
  if (device != nullptr && device[0] != '\0') {
    library.device = std::make_unique<EvdevReader>(library.handover, device);
    library.device->Start();
  }
  Note("hooked");
}

void UnHook(void) {
  Library& library = TheLibrary();
  if (!library.hooked) return;
  library.hooked = false;
  library.device.reset();
  library.feed.reset();
  if (KeyFilter* keys = library.keys) {
    keys->Flush();
    QCoreApplication::instance()->removeEventFilter(keys);
    // It may be in the middle of handling a key that led to this call.
    keys->deleteLater();
  }
  Note("unhooked");
}

int32_t GetCodeComplete(void) { return TheLibrary().handover.Waiting() ? 1 : 0; }

void GetScannerID(char* buffer, int32_t size) {
  CopyOut(TheLibrary().handover.First().scannerId, buffer, size);
}

void GetCodeType(char* buffer, int32_t size) {
  CopyOut(TheLibrary().handover.First().codeType, buffer, size);
}

void GetBarCode(char* buffer, int32_t size) {
  CopyOut(TheLibrary().handover.First().barCode, buffer, size);
}

void SetCodeComplete(int32_t complete) {
  if (complete == 0) TheLibrary().handover.Take();
}

}  // extern "C"
