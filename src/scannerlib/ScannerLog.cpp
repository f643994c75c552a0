#include "ScannerLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace scannerlib {
namespace {

std::atomic<DebugCallback> debugCallback{nullptr};
// Lines from several threads must not interleave byte by byte.
std::mutex outputMutex;

}  // namespace

void SetDebugCallback(DebugCallback callback) { debugCallback = callback; }

void Note(std::string_view text) {
  const DebugCallback callback = debugCallback;
  if (!callback) return;
  std::lock_guard<std::mutex> lock(outputMutex);
  for (const char c : text) callback(static_cast<unsigned char>(c));
  callback('\n');
}

void Warn(std::string_view text) {
  Note(text);
  std::lock_guard<std::mutex> lock(outputMutex);
  std::fprintf(stderr, "ReelKeeper scanner: %.*s\n", static_cast<int>(text.size()), text.data());
  std::fflush(stderr);
}

}  // namespace scannerlib
