#pragma once

#include <string>

#include "CodeHandover.h"
#include "ReaderThread.h"

namespace scannerlib {

// The feed: a FIFO into which any program or script of the user's can write codes, one a line.
// It lives in a folder only the user may enter, $XDG_RUNTIME_DIR/ReelKeeper, or
// /tmp/ReelKeeper-<uid> when the runtime folder is unset or not private; folder and FIFO must be
// the user's own, and nobody else may read or write them.
class FeedReader final : public ReaderThread {
 public:
  static constexpr const char* kFeedName = "scanner";
  // Longer lines are no bar codes; they are dropped whole.
  static constexpr std::size_t kMaximumLine = 4096;

  explicit FeedReader(CodeHandover& handover);
  ~FeedReader() override;

  // The folder for this user and environment.
  static std::string FeedFolder();
  // /tmp/ReelKeeper-<uid>: where the feed goes when the runtime folder cannot take it.
  static std::string FallbackFolder();
  // Makes the folder and the FIFO when missing and opens the FIFO for reading. -1 when they are
  // not safe to use; why says what is wrong.
  static int OpenFeed(const std::string& folder, std::string& why);

  // Opens the feed and starts reading it. False (with a warning on the error log) when the feed
  // is refused.
  bool Start(const std::string& folder);
  // Starts in FeedFolder(), else (a runtime folder that cannot be written, say) in
  // FallbackFolder(), as the program's instance lock does.
  bool Start();
  const std::string& Path() const { return path_; }

 private:
  void Run() override;
  void TakeLines();

  CodeHandover& handover_;
  int fd_ = -1;
  std::string path_;
  std::string partial_;
  bool overlong_ = false;  // the line under way is too long and is being dropped
};

}  // namespace scannerlib
