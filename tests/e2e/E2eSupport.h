#pragma once

// Starts the real program from a temporary program folder of its own, with its own runtime,
// configuration and data folders, so that end-to-end tests never share a lock or a user's files.
// The program runs unattended: its message boxes are written to a log and take their default
// answer (REELKEEPER_MESSAGE_LOG), and it reports when its window is shown
// (REELKEEPER_STARTUP_TIMING).
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <memory>
#include <optional>

#include "TestSupport.h"

namespace e2e {

inline QString ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

inline bool Chmod(const QString& path, mode_t mode) {
  return ::chmod(QFile::encodeName(path).constData(), mode) == 0;
}

struct LaunchOptions {
  QStringList arguments;
  bool asNobody = false;     // run as the unprivileged user (tests run as root)
  rlim_t fileSizeLimit = 0;  // > 0: a "full disk" for every file the program writes
  QString script;            // if set, run by bash under xvfb-run instead ($RK: the program)
  QString program;           // another executable than the sandbox's copy (an installed one)
  QString runtime = "run";   // the sandbox's folder for XDG_RUNTIME_DIR (a session of its own)
};

// A running (or finished) copy of the program, in a process group of its own.
class Program {
 public:
  Program(const QDir& sandbox, const LaunchOptions& options) {
    static int counter = 0;
    stderr_ = sandbox.filePath(QStringLiteral("work/stderr-%1").arg(++counter));
    process_.setWorkingDirectory(sandbox.filePath("work"));
    process_.setStandardInputFile(QProcess::nullDevice());
    process_.setStandardOutputFile(QProcess::nullDevice());
    process_.setStandardErrorFile(stderr_);
    process_.setProcessEnvironment(Environment(sandbox, options));
    const passwd* nobody = ::getpwnam("nobody");
    process_.setChildProcessModifier([limit = options.fileSizeLimit, asNobody = options.asNobody,
                                      uid = nobody ? nobody->pw_uid : 65534,
                                      gid = nobody ? nobody->pw_gid : 65534] {
      ::setpgid(0, 0);
      if (limit > 0) {
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead of killing
        const rlimit rl{limit, limit};
        if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) ::_exit(122);
      }
      if (asNobody && (::setgroups(0, nullptr) != 0 || ::setgid(gid) != 0 || ::setuid(uid) != 0))
        ::_exit(123);
    });
    if (!options.script.isEmpty()) {
      // -a looks for a free display from -n on; starting the search at different numbers keeps
      // two tests running at once from racing for the same display.
      process_.start("/usr/bin/xvfb-run",
                     {"-a", "-n", QString::number(100 + ::getpid() % 800), "-s",
                      "-screen 0 1280x1024x24", "/bin/bash", "-c", options.script});
    } else {
      process_.start(
          options.program.isEmpty() ? sandbox.filePath("prog/reelkeeper") : options.program,
          options.arguments);
    }
    EXPECT_TRUE(process_.waitForStarted()) << qPrintable(process_.errorString());
  }

  ~Program() { Kill(); }

  // The exit status, or nullopt when it is still running after the timeout. A death by signal
  // counts as 128 + the signal.
  std::optional<int> WaitForExit(int timeoutSeconds = 60) {
    if (IsRunning() && !process_.waitForFinished(timeoutSeconds * 1000)) return std::nullopt;
    return process_.exitCode() + (process_.exitStatus() == QProcess::CrashExit ? 128 : 0);
  }

  bool IsRunning() {
    return process_.state() != QProcess::NotRunning && !process_.waitForFinished(0);
  }

  // True once the program reports its main window shown; false when it ended or timed out.
  bool WaitForShown(int timeoutSeconds = 60) {
    const QDeadlineTimer deadline(timeoutSeconds * 1000);
    while (!WasShown() && IsRunning() && !deadline.hasExpired()) QThread::msleep(10);
    return WasShown();
  }

  bool WasShown() const { return Stderr().contains("main window shown"); }
  QString Stderr() const { return ReadFile(stderr_); }

  void Kill() {
    const qint64 pid = process_.processId();
    if (!IsRunning() || pid <= 0) return;
    ::kill(-pid_t(pid), SIGKILL);
    process_.kill();
    process_.waitForFinished(30000);
  }

 private:
  static QProcessEnvironment Environment(const QDir& sandbox, const LaunchOptions& options) {
    QProcessEnvironment env;
    env.insert("PATH", "/usr/local/bin:/usr/bin:/bin");
    env.insert("HOME", sandbox.filePath("work"));
    env.insert("XDG_RUNTIME_DIR", sandbox.filePath(options.runtime));
    env.insert("XDG_CONFIG_HOME", sandbox.filePath("config"));
    env.insert("XDG_DATA_HOME", sandbox.filePath("data"));
    env.insert("XDG_CACHE_HOME", sandbox.filePath("cache"));
    env.insert("REELKEEPER_MESSAGE_LOG", sandbox.filePath("work/messages.log"));
    env.insert("REELKEEPER_STARTUP_TIMING", "1");
    env.insert("RK", sandbox.filePath("prog/reelkeeper"));
    if (options.script.isEmpty()) env.insert("QT_QPA_PLATFORM", "offscreen");
    const QProcessEnvironment outer = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LANG", "LC_ALL"}) {
      if (outer.contains(name)) env.insert(name, outer.value(name));
    }
    // The leak checker must be able to read its suppressions as "nobody" too.
    QString lsan = outer.value("LSAN_OPTIONS");
    static const QRegularExpression suppressions("suppressions=([^:]*)");
    const QRegularExpressionMatch file = suppressions.match(lsan);
    if (file.hasMatch()) {
      const QString copy = sandbox.filePath("work/lsan.supp");
      QFile::remove(copy);
      QFile::copy(file.captured(1), copy);
      Chmod(copy, 0644);
      lsan.replace(file.capturedStart(1), file.capturedLength(1), copy);
    }
    if (!lsan.isEmpty()) env.insert("LSAN_OPTIONS", lsan);
    return env;
  }

  QProcess process_;
  QString stderr_;
};

// One program folder with its copies of the executable and the scanner library.
class Sandbox {
 public:
  explicit Sandbox(bool withScannerLibrary = true) {
    // Others may pass through, so that the program can also run as "nobody".
    Chmod(dir_.path(), 0755);
    for (const char* sub : {"prog", "run", "run2", "config", "data", "cache", "work"}) {
      QDir().mkpath(Path(sub));
      Chmod(Path(sub), 0700);
    }
    Chmod(Path("prog"), 0755);
    Copy(REELKEEPER_BINARY, Path("prog/reelkeeper"));
    if (withScannerLibrary) {
      Copy(QDir(REELKEEPER_BIN_DIR).filePath("libreelkeeper_scanner.so"),
           Path("prog/libreelkeeper_scanner.so"));
    }
  }

  QString Path(const QString& relative) const { return QDir(dir_.path()).filePath(relative); }
  QString DatabaseFile() const { return Path("prog/ReelKeeper.mdb"); }
  QString DataFolderFile() const { return Path("data/ReelKeeper/ReelKeeper.mdb"); }

  // Each message box shown so far: title, a tab, the text with "\n" for its line breaks.
  QStringList Messages() const {
    return ReadFile(Path("work/messages.log")).split(u'\n', Qt::SkipEmptyParts);
  }

  // Hands the folders the program writes to over to "nobody".
  void GiveToNobody(bool programFolderToo) const {
    const passwd* nobody = ::getpwnam("nobody");
    QStringList folders = {"run", "config", "data", "cache", "work"};
    if (programFolderToo) folders << "prog";
    for (const QString& sub : folders) {
      EXPECT_EQ(::chown(QFile::encodeName(Path(sub)).constData(), nobody->pw_uid, nobody->pw_gid),
                0);
    }
  }

  // Files in the program folder other than the program's own two, its database and the lock a
  // killed copy leaves.
  QStringList StrayFiles() const {
    QStringList files = QDir(Path("prog")).entryList(QDir::Files | QDir::Hidden);
    for (const char* own :
         {"reelkeeper", "libreelkeeper_scanner.so", "ReelKeeper.mdb", "ReelKeeper.mdb.lock"})
      files.removeAll(own);
    return files;
  }

  std::unique_ptr<Program> Start(const LaunchOptions& options = {}) const {
    return std::make_unique<Program>(QDir(dir_.path()), options);
  }
  // A first run that makes the collection file and is then killed.
  void RunOnce() const {
    auto first = Start();
    ASSERT_TRUE(first->WaitForShown()) << qPrintable(first->Stderr());
  }

 private:
  static void Copy(const QString& from, const QString& to) {
    QFile::copy(from, to);
    Chmod(to, 0755);
  }

  QTemporaryDir dir_;
};

// A start that stops with status 1 before its window shows, after exactly one message box whose
// title and text hold every one of `parts`, and leaves the collection file and the program folder
// as they were.
inline void ExpectStartStops(const Sandbox& sandbox, const QStringList& parts,
                             const LaunchOptions& options = {}) {
  const QByteArray before = testsupport::Checksum(sandbox.DatabaseFile());
  auto program = sandbox.Start(options);
  EXPECT_EQ(program->WaitForExit(), 1) << qPrintable(program->Stderr());
  EXPECT_FALSE(program->WasShown());
  const QStringList messages = sandbox.Messages();
  ASSERT_EQ(messages.size(), 1) << qPrintable(messages.join('|'));
  for (const QString& part : parts) {
    EXPECT_TRUE(messages[0].contains(part))
        << qPrintable(messages[0]) << "\nlacks " << qPrintable(part);
  }
  EXPECT_EQ(testsupport::Checksum(sandbox.DatabaseFile()), before);
  EXPECT_TRUE(sandbox.StrayFiles().isEmpty()) << qPrintable(sandbox.StrayFiles().join(' '));
}

inline bool HasScreenTools() {
  return !QStandardPaths::findExecutable("xvfb-run").isEmpty() &&
         !QStandardPaths::findExecutable("xdotool").isEmpty();
}

// Runs `options.script` (bash, with $RK the program's path) on an X server of its own; it is to
// end with status 0, and what it sends to program.err is shown when it does not.
inline void ExpectScreenRunSucceeds(const Sandbox& sandbox, const LaunchOptions& options) {
  auto run = sandbox.Start(options);
  EXPECT_EQ(run->WaitForExit(240), 0) << qPrintable(ReadFile(sandbox.Path("work/program.err")));
}

// Starts the program with `start` (its command line) on an X server of its own, focuses its main
// window ($wid), runs the xdotool `steps` and closes the window with Escape: the program is to
// end normally without a message box.
inline void DriveMainWindow(const Sandbox& sandbox, const QString& steps,
                            LaunchOptions options = {},
                            const QString& start = QStringLiteral("\"$RK\" nocheck")) {
  options.script = QStringLiteral(R"(
    set -e
    %1 2> program.err & pid=$!
    for i in $(seq 600); do grep -q "window shown" program.err && break; sleep 0.1; done
    wid=$(timeout 20 xdotool search --sync --name '^Reel Keeper$' | head -1)
    xdotool windowfocus --sync "$wid"
    %2
    xdotool windowfocus --sync "$wid" key Escape
    wait $pid
  )")
                       .arg(start, steps);
  ExpectScreenRunSucceeds(sandbox, options);
  EXPECT_TRUE(sandbox.Messages().isEmpty()) << qPrintable(sandbox.Messages().join('|'));
}

}  // namespace e2e
