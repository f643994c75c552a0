#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>

namespace scannerlib {

// Where each source of codes says what it read.
inline constexpr std::string_view kKeyboardSource = "KEYBOARD";
inline constexpr std::string_view kFeedSource = "FEED";
inline constexpr std::string_view kDeviceSource = "EVDEV";  // followed by a blank and the path

// The symbology a code most likely came from: "EAN-13", "UPC-A" or "EAN-8" for digits of that
// length with a valid check digit, "CODE-128" for any other printable ASCII text, else "UNKNOWN".
std::string GuessCodeType(std::string_view code);

struct ScannedCode {
  std::string scannerId;
  std::string codeType;
  std::string barCode;
};

// The one hand-over between the sources (the key filter on the user-interface thread, the
// readers on threads of their own) and the program's polls. Codes wait in the order they were
// read, so that two scans in quick succession are both taken, each once.
class CodeHandover {
 public:
  // More waiting than this means nobody polls; later codes are dropped.
  static constexpr std::size_t kMaximumWaiting = 16;

  void Offer(std::string_view source, std::string_view code);
  // True exactly while a code waits.
  bool Waiting() const;
  // The first waiting code; empty texts when none waits.
  ScannedCode First() const;
  // Marks the first waiting code taken; the next one (if any) waits in its place.
  void Take();
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::deque<ScannedCode> waiting_;
};

}  // namespace scannerlib
