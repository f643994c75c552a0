#pragma once

// Runs a piece of a test in a forked child, for what must not happen in the test process itself:
// being killed at a chosen moment, a file-size limit, or giving up root.
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace childtest {

struct ChildResult {
  bool exited = false;
  int code = -1;   // exit status when exited
  int signal = 0;  // the signal that ended it otherwise
  bool timedOut = false;
};

// The child's function returns its exit status; an exception becomes status 99.
inline ChildResult RunInChild(const std::function<int()>& body, int timeoutSeconds = 60) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    int status = 99;
    try {
      status = body();
    } catch (...) {
      status = 99;
    }
    ::_exit(status);
  }
  ChildResult result;
  if (pid < 0) return result;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      result.timedOut = true;
      return result;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (WIFEXITED(status)) {
    result.exited = true;
    result.code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
  return result;
}

// In a child: gives up root for the unprivileged user "nobody". True on success.
inline bool BecomeNobody() {
  const passwd* nobody = ::getpwnam("nobody");
  if (!nobody) return false;
  return ::setgroups(0, nullptr) == 0 && ::setgid(nobody->pw_gid) == 0 &&
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
