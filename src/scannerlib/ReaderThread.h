#pragma once

#include <atomic>
#include <thread>

namespace scannerlib {

// A source that reads on a thread of its own and can be stopped at any moment, also while it
// waits for input.
class ReaderThread {
 public:
  ReaderThread() = default;
  virtual ~ReaderThread();
  ReaderThread(const ReaderThread&) = delete;
  ReaderThread& operator=(const ReaderThread&) = delete;

  // Starts Run on the thread. False when the system refused (the reason is logged).
  bool StartThread();
  // Asks Run to return and waits for it. Derived classes call it first in their destructor.
  void Stop();

 protected:
  enum class Wait { Ready, Stopping, TimedOut };
  // Waits until fd can be read (or has hung up), Stop is called, or timeoutMs pass (-1: no
  // limit). With fd -1 it only waits for Stop or the time.
  Wait WaitFor(int fd, int timeoutMs) const;
  virtual void Run() = 0;

 private:
  int wake_ = -1;
  std::thread thread_;
};

}  // namespace scannerlib
