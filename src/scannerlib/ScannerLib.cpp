#include "ScannerLib.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <string>

// The completed code and its hand-over flag. Input may later be gathered on a thread of the
// library's own while the program polls from its window timers, hence the mutex.
namespace {

struct ScannerState {
  std::mutex mutex;
  RkScannerDebugCallback debug = nullptr;
  bool hooked = false;
  bool complete = false;
  std::string scannerId;
  std::string codeType;
  std::string barCode;
};

ScannerState& State() {
  static ScannerState state;
  return state;
}

void Debug(ScannerState& state, const char* text) {
  if (!state.debug) return;
  for (const char* c = text; *c != '\0'; ++c) state.debug(static_cast<unsigned char>(*c));
}

void CopyOut(const std::string& text, char* buffer, int32_t size) {
  if (buffer == nullptr || size <= 0) return;
  const std::size_t length = std::min(text.size(), static_cast<std::size_t>(size - 1));
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace

extern "C" {

void SetDebugCallback(RkScannerDebugCallback callback) {
  ScannerState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.debug = callback;
}

void SetHook(void) {
  ScannerState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.hooked = true;
  Debug(state, "hooked\n");
}

void UnHook(void) {
  ScannerState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.hooked = false;
  Debug(state, "unhooked\n");
}

int32_t GetCodeComplete(void) {
  ScannerState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  return state.complete ? 1 : 0;
}

void GetScannerID(char* buffer, int32_t size) {
  ScannerState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  CopyOut(state.scannerId, buffer, size);
}

void GetCodeType(char* buffer, int32_t size) {
  ScannerState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  CopyOut(state.codeType, buffer, size);
}

void GetBarCode(char* buffer, int32_t size) {
  ScannerState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  CopyOut(state.barCode, buffer, size);
}

void SetCodeComplete(int32_t complete) {
  ScannerState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.complete = complete != 0 && !state.barCode.empty();
  if (!state.complete) {
    state.scannerId.clear();
    state.codeType.clear();
    state.barCode.clear();
  }
}

}  // extern "C"
