#pragma once

// Starts the real program from a temporary program folder of its own, with its own runtime,
// configuration and data folders, so that end-to-end tests never share a lock or a user's files.
// The program runs unattended: its message boxes are written to a log and take their default
// answer (REELKEEPER_MESSAGE_LOG), and it reports when its window is shown
// (REELKEEPER_STARTUP_TIMING).
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <optional>
#include <thread>
#include <vector>

namespace e2e {

inline QByteArray Checksum(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex();
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) file.write(bytes);
}

inline QString ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

inline bool Chown(const QString& path, uid_t uid, gid_t gid) {
  return ::chown(QFile::encodeName(path).constData(), uid, gid) == 0;
}

inline bool Chmod(const QString& path, mode_t mode) {
  return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

struct LaunchOptions {
  QStringList arguments;
  bool asNobody = false;     // run as the unprivileged user (tests run as root)
  rlim_t fileSizeLimit = 0;  // > 0: a "full disk" for every file the program writes
  bool throughXvfb = false;  // the program line is run by a bash script under xvfb-run
  QString script;            // for throughXvfb: the script ($RK is the program's path)
};

class Program;

// One program folder with its copies of the executable and the scanner library.
class Sandbox {
 public:
  explicit Sandbox(bool withScannerLibrary = true) {
    root_ = dir_.path();
    // Others may pass through, so that the program can also run as "nobody".
    Chmod(root_, 0755);
    for (const char* sub : {"prog", "run", "config", "data", "cache", "work"}) {
      QDir().mkpath(Path(sub));
      Chmod(Path(sub), 0700);
    }
    Chmod(Path("prog"), 0755);
    Copy(QStringLiteral(REELKEEPER_BINARY), Path("prog/reelkeeper"));
    if (withScannerLibrary) {
      Copy(QDir(QStringLiteral(REELKEEPER_BIN_DIR)).filePath("libreelkeeper_scanner.so"),
           Path("prog/libreelkeeper_scanner.so"));
    }
  }

  QString Path(const QString& relative) const { return QDir(root_).filePath(relative); }
  QString ProgramFolder() const { return Path("prog"); }
  QString DatabaseFile() const { return Path("prog/ReelKeeper.mdb"); }
  QString DataFolderFile() const { return Path("data/ReelKeeper/ReelKeeper.mdb"); }
  QString MessageLog() const { return Path("work/messages.log"); }

  // Each message box shown so far: title, a tab, the text with "\n" for its line breaks.
  QStringList Messages() const { return ReadFile(MessageLog()).split(u'\n', Qt::SkipEmptyParts); }

  // Hands the folders the program writes to over to "nobody".
  void GiveToNobody(bool programFolderToo) {
    const passwd* nobody = ::getpwnam("nobody");
    for (const char* sub : {"run", "config", "data", "cache", "work"}) {
      Chown(Path(sub), nobody->pw_uid, nobody->pw_gid);
    }
    if (programFolderToo) Chown(Path("prog"), nobody->pw_uid, nobody->pw_gid);
  }

  // Files in the program folder other than the program's own two.
  QStringList StrayFiles() const {
    QStringList files = QDir(ProgramFolder()).entryList(QDir::Files | QDir::Hidden);
    files.removeAll("reelkeeper");
    files.removeAll("libreelkeeper_scanner.so");
    files.removeAll("ReelKeeper.mdb");
    return files;
  }

  std::unique_ptr<Program> Start(const LaunchOptions& options = {}) const;

 private:
  static void Copy(const QString& from, const QString& to) {
    QFile::copy(from, to);
    Chmod(to, 0755);
  }

  QTemporaryDir dir_;
  QString root_;
};

// A running (or finished) copy of the program.
class Program {
 public:
  Program(const Sandbox& sandbox, const LaunchOptions& options) : sandbox_(sandbox) {
    static int counter = 0;
    const QString tag = QString::number(++counter);
    stdout_ = sandbox.Path("work/stdout-" + tag);
    stderr_ = sandbox.Path("work/stderr-" + tag);

    std::vector<QByteArray> env = Environment(options);
    std::vector<QByteArray> argv;
    if (options.throughXvfb) {
      // -a looks for a free display from -n on; starting the search at different numbers keeps
      // two tests running at once from racing for the same display.
      argv = {"/usr/bin/xvfb-run",
              "-a",
              "-n",
              QByteArray::number(100 + ::getpid() % 800),
              "-s",
              "-screen 0 1280x1024x24",
              "/bin/bash",
              "-c",
              options.script.toUtf8()};
    } else {
      argv.push_back(QFile::encodeName(sandbox.Path("prog/reelkeeper")));
      for (const QString& argument : options.arguments) argv.push_back(argument.toUtf8());
    }
    const QByteArray outPath = QFile::encodeName(stdout_);
    const QByteArray errPath = QFile::encodeName(stderr_);
    const QByteArray workFolder = QFile::encodeName(sandbox.Path("work"));
    const passwd* nobody = ::getpwnam("nobody");
    const uid_t uid = nobody ? nobody->pw_uid : 65534;
    const gid_t gid = nobody ? nobody->pw_gid : 65534;

    std::vector<char*> rawArgv;
    for (QByteArray& a : argv) rawArgv.push_back(a.data());
    rawArgv.push_back(nullptr);
    std::vector<char*> rawEnv;
    for (QByteArray& e : env) rawEnv.push_back(e.data());
    rawEnv.push_back(nullptr);

    pid_ = ::fork();
    if (pid_ == 0) {
      ::setpgid(0, 0);
      const int out = ::open(outPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      const int err = ::open(errPath.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      const int null = ::open("/dev/null", O_RDONLY);
      if (out < 0 || err < 0 || null < 0) ::_exit(120);
      ::dup2(null, 0);
      ::dup2(out, 1);
      ::dup2(err, 2);
      if (::chdir(workFolder.constData()) != 0) ::_exit(121);
      if (options.fileSizeLimit > 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
        const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(122);
      }
      if (options.asNobody) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0) {
          ::_exit(123);
        }
      }
      ::execve(rawArgv[0], rawArgv.data(), rawEnv.data());
      ::_exit(124);
    }
  }

  ~Program() { Kill(); }
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The exit status, or nullopt when it is still running after the timeout. A death by signal
  // counts as 128 + the signal.
  std::optional<int> WaitForExit(int timeoutSeconds = 60) {
    if (status_) return status_;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (true) {
      int status = 0;
      const pid_t done = ::waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        return status_;
      }
      if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
  }

  bool IsRunning() {
    if (status_) return false;
    int status = 0;
    const pid_t done = ::waitpid(pid_, &status, WNOHANG);
    if (done == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return false;
    }
    return true;
  }

  // True once the program reports its main window shown; false when it ended or timed out.
  bool WaitForShown(int timeoutSeconds = 60) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    while (std::chrono::steady_clock::now() < deadline) {
      if (WasShown()) return true;
      if (!IsRunning()) return WasShown();
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
  }

  bool WasShown() const { return Stderr().contains("main window shown"); }
  QString Stderr() const { return ReadFile(stderr_); }

  void Kill() {
    if (pid_ > 0 && !status_) {
      ::kill(-pid_, SIGKILL);
      ::kill(pid_, SIGKILL);
      WaitForExit(30);
    }
  }

 private:
  std::vector<QByteArray> Environment(const LaunchOptions& options) const {
    std::vector<QByteArray> env = {
        "PATH=/usr/local/bin:/usr/bin:/bin",
        "HOME=" + QFile::encodeName(sandbox_.Path("work")),
        "XDG_RUNTIME_DIR=" + QFile::encodeName(sandbox_.Path("run")),
        "XDG_CONFIG_HOME=" + QFile::encodeName(sandbox_.Path("config")),
        "XDG_DATA_HOME=" + QFile::encodeName(sandbox_.Path("data")),
        "XDG_CACHE_HOME=" + QFile::encodeName(sandbox_.Path("cache")),
        "REELKEEPER_MESSAGE_LOG=" + QFile::encodeName(sandbox_.MessageLog()),
        "REELKEEPER_STARTUP_TIMING=1",
        "RK=" + QFile::encodeName(sandbox_.Path("prog/reelkeeper")),
    };
    if (!options.throughXvfb) env.push_back("QT_QPA_PLATFORM=offscreen");
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LANG", "LC_ALL"}) {
      if (const char* value = std::getenv(name)) env.push_back(QByteArray(name) + '=' + value);
    }
    // The leak checker must be able to read its suppressions as "nobody" too.
    if (const char* value = std::getenv("LSAN_OPTIONS")) {
      QByteArray lsan(value);
      const int at = lsan.indexOf("suppressions=");
      if (at >= 0) {
        const int end = lsan.indexOf(':', at);
        const QByteArray file = lsan.mid(at + 13, end < 0 ? -1 : end - at - 13);
        const QString copy = sandbox_.Path("work/lsan.supp");
        QFile::remove(copy);
        QFile::copy(QFile::decodeName(file), copy);
        Chmod(copy, 0644);
        lsan.replace(at + 13, file.size(), QFile::encodeName(copy));
      }
      env.push_back("LSAN_OPTIONS=" + lsan);
    }
    return env;
  }

  const Sandbox& sandbox_;
  pid_t pid_ = -1;
  std::optional<int> status_;
  QString stdout_;
  QString stderr_;
};

inline std::unique_ptr<Program> Sandbox::Start(const LaunchOptions& options) const {
  return std::make_unique<Program>(*this, options);
}

}  // namespace e2e
