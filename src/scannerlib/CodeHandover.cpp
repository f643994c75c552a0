#include "CodeHandover.h"

#include <algorithm>

#include "ScannerLog.h"

namespace scannerlib {
namespace {

bool AllDigits(std::string_view code) {
  return !code.empty() &&
         std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The GTIN check digit: the digits before it weighted 3, 1, 3, ... from the right.
bool CheckDigitHolds(std::string_view digits) {
  int sum = 0;
  int weight = 3;
  for (auto it = digits.rbegin() + 1; it != digits.rend(); ++it) {
    sum += (*it - '0') * weight;
    weight = 4 - weight;
  }
  return (10 - sum % 10) % 10 == digits.back() - '0';
}

}  // namespace

std::string GuessCodeType(std::string_view code) {
  if (AllDigits(code) && CheckDigitHolds(code)) {
    switch (code.size()) {
      case 13:
        return "EAN-13";
      case 12:
        return "UPC-A";
      case 8:
        return "EAN-8";
      default:
        break;
    }
  }
  const bool printable = !code.empty() && std::all_of(code.begin(), code.end(), [](char c) {
    return c >= 0x20 && c <= 0x7e;
  });
  return printable ? "CODE-128" : "UNKNOWN";
}

void CodeHandover::Offer(std::string_view source, std::string_view code) {
  ScannedCode scanned{std::string(source), GuessCodeType(code), std::string(code)};
  std::lock_guard<std::mutex> lock(mutex_);
  if (waiting_.size() >= kMaximumWaiting) {
    Note("a code was dropped: too many codes wait to be taken");
    return;
  }
  waiting_.push_back(std::move(scanned));
}

bool CodeHandover::Waiting() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return !waiting_.empty();
}

ScannedCode CodeHandover::First() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return waiting_.empty() ? ScannedCode{} : waiting_.front();
}

void CodeHandover::Take() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!waiting_.empty()) waiting_.pop_front();
}

void CodeHandover::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_.clear();
}

}  // namespace scannerlib
