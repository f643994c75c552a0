#pragma once

// Runs a piece of a test in a forked child, for what must not happen in the test process itself:
// being killed at a chosen moment, a file-size limit, or giving up root.
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace childtest {

struct ChildResult {
  int code = -1;   // exit status when it exited
  int signal = 0;  // the signal that ended it otherwise (SIGALRM: it hung)
};

// The child's function returns its exit status; an exception becomes status 99.
inline ChildResult RunInChild(const std::function<int()>& body, unsigned timeoutSeconds = 60) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::alarm(timeoutSeconds);
    int status = 99;
    try {
      status = body();
    } catch (...) {
    }
    ::_exit(status);
  }
  ChildResult result;
  int status = 0;
  if (pid < 0 || ::waitpid(pid, &status, 0) != pid) return result;
  if (WIFEXITED(status)) result.code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  return result;
}

// A child that does `hold` (takes a lock, opens a file), says whether that worked, and then waits
// until it is killed: by Kill(), or at the end of its scope at the latest.
class HoldingChild {
 public:
  explicit HoldingChild(const std::function<bool()>& hold) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      const char answer = hold() ? 'y' : 'n';
      if (::write(ready[1], &answer, 1) != 1) ::_exit(2);
      ::pause();
      ::_exit(0);
    }
    char answer = 0;
    held_ = pid_ > 0 && ::read(ready[0], &answer, 1) == 1 && answer == 'y';
    ::close(ready[0]);
    ::close(ready[1]);
  }
  HoldingChild(const HoldingChild&) = delete;
  HoldingChild& operator=(const HoldingChild&) = delete;
  ~HoldingChild() { Kill(); }

  bool Held() const { return held_; }
  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
  bool held_ = false;
};

// In a child: gives up root for the unprivileged user "nobody". True on success.
inline bool BecomeNobody() {
  const passwd* nobody = ::getpwnam("nobody");
  return nobody && ::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 &&
         ::setuid(nobody->pw_uid) == 0;
}

// In a child: files may grow to at most `bytes`; a write beyond fails with EFBIG instead of
// killing the process, which is what a full disk looks like to the program.
inline bool LimitFileSize(rlim_t bytes) {
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit limit{bytes, bytes};
  return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

}  // namespace childtest
