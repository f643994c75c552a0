#include "BurstRecognizer.h"

namespace scannerlib {

BurstRecognizer::Decision BurstRecognizer::Press(Key key, std::string_view text,
                                                 std::int64_t timeMs) {
  Decision decision;
  // A clock that went backwards (a server's millisecond count wrapping) counts as a pause.
  const std::int64_t gap = timeMs - last_;
  const bool inBurst = Holding() && gap >= 0 && gap <= kMaximumGapMs;
  switch (key) {
    case Key::Character:
      if (Holding() && !inBurst) {
        decision.replayHeld = true;
        Reset();
      }
      pending_.append(text);
      ++characters_;
      last_ = timeMs;
      decision.thisKey = ThisKey::Hold;
      return decision;
    case Key::Terminator:
      if (inBurst && characters_ >= kMinimumLength) {
        code_ = pending_;
        Reset();
        decision.thisKey = ThisKey::Scan;
        return decision;
      }
      break;
    case Key::Other:
      break;
  }
  decision.replayHeld = Holding();
  Reset();
  decision.thisKey = ThisKey::Pass;
  return decision;
}

void BurstRecognizer::Reset() {
  pending_.clear();
  characters_ = 0;
}

}  // namespace scannerlib
