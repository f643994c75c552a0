#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scannerlib {

// Tells a keyboard-wedge scanner from a person at the keyboard. A scanner types its code much
// faster than anybody can: at least kMinimumLength characters, each within kMaximumGapMs of the
// one before, ended by Enter or Tab. Since that is known only at the end, every character that
// may still belong to such a burst is held back; when the burst turns out to be typing, the
// held keys go on in their order, a moment late.
class BurstRecognizer {
 public:
  static constexpr std::size_t kMinimumLength = 6;
  static constexpr std::int64_t kMaximumGapMs = 50;

  enum class Key {
    Character,   // a printable character typed without Ctrl, Alt or Meta
    Terminator,  // Enter or Tab
    Other,       // anything else, which no scanner sends in the middle of a code
  };

  enum class ThisKey {
    Hold,  // keep it back with the held keys
    Pass,  // let it go on (after the held keys, when replayHeld)
    Scan,  // it ends a scan: it and the held keys are dropped, code() has the code
  };

  struct Decision {
    bool replayHeld = false;  // the keys held so far are typing: let them go on first
    ThisKey thisKey = ThisKey::Pass;
  };

  // A key press at timeMs (any clock in milliseconds, the same for every call).
  Decision Press(Key key, std::string_view text, std::int64_t timeMs);
  // Forgets the held keys once the caller has let them go (no key came within the gap).
  void Reset();

  bool Holding() const { return !pending_.empty(); }
  const std::string& Code() const { return code_; }

 private:
  std::string pending_;
  std::size_t characters_ = 0;  // in pending_, which holds UTF-8
  std::int64_t last_ = 0;
  std::string code_;
};

}  // namespace scannerlib
