// The program as an installation puts it on a user's machine: `cmake --install` into a DESTDIR,
// the desktop's files checked by the stock validators, the installed program started from a
// read-only copy of its prefix, and the Debian package made by `cpack`.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>

#include "E2eSupport.h"
#include "TestSupport.h"
#include "app/DatabasePath.h"

namespace {

const QString kAppId = QStringLiteral(REELKEEPER_APP_ID);

struct ToolRun {
  int status = -1;
  QString output;  // standard output and standard error together
};

ToolRun RunTool(const QString& program, const QStringList& arguments, const QString& folder = {}) {
  QProcess process;
  process.setProcessChannelMode(QProcess::MergedChannels);
  process.setWorkingDirectory(folder);
  process.start(program, arguments);
  if (!process.waitForFinished(300000)) {
    return {-1, program + " did not finish: " + process.errorString()};
  }
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAll())};
}

// The build installed into a DESTDIR of its own with the prefix /usr/local, once per test process.
class Installation {
 public:
  static const Installation& Get() {
    static const Installation installation;
    return installation;
  }

  bool Ok() const { return run_.status == 0; }
  const QString& Log() const { return run_.output; }
  QString Prefix() const { return destdir_.filePath(QStringLiteral("usr/local")); }
  QString Path(const QString& relative) const { return QDir(Prefix()).filePath(relative); }

 private:
  Installation()
      : run_(RunTool("env", {"DESTDIR=" + destdir_.path(), REELKEEPER_CMAKE, "--install",
                             REELKEEPER_BUILD_DIR, "--prefix", "/usr/local"})) {}

  QTemporaryDir destdir_;
  ToolRun run_;
};

// Every file under a folder, relative to it, with its size: what a program run may not change.
QStringList FilesUnder(const QString& folder) {
  QStringList files;
  QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
  while (it.hasNext()) {
    const QFileInfo file(it.next());
    files << QDir(folder).relativeFilePath(file.filePath()) + u' ' + QString::number(file.size());
  }
  files.sort();
  return files;
}

mode_t Mode(const QString& path) {
  struct stat info {};
  return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

class InstallTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Installation::Get().Ok()) << qPrintable(Installation::Get().Log());
  }
};

// The stock validators, as a distribution's review runs them; a warning counts as a failure.
struct ValidatorCase {
  const char* name;
  const char* command;  // for bash; $0 is the installed file
  QString file;         // relative to the prefix
  bool quiet;           // success is silent; anything said is a warning
};

void PrintTo(const ValidatorCase& c, std::ostream* os) { *os << c.name; }

class InstalledFileTest : public InstallTest,
                          public ::testing::WithParamInterface<ValidatorCase> {};

TEST_P(InstalledFileTest, PassesItsValidator) {
  const ValidatorCase& c = GetParam();
  const QString tool = QString(c.command).section(u' ', 0, 0);
  if (QStandardPaths::findExecutable(tool).isEmpty()) GTEST_SKIP() << "needs " << c.command;
  const ToolRun run =
      RunTool("bash", {"-c", QStringLiteral("export LC_ALL=C.UTF-8 MANWIDTH=80; ") + c.command,
                       Installation::Get().Path(c.file)});
  EXPECT_EQ(run.status, 0) << qPrintable(run.output);
  if (c.quiet) {
    EXPECT_EQ(run.output, QString());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Desktop, InstalledFileTest,
    ::testing::Values(ValidatorCase{"DesktopEntry", "desktop-file-validate \"$0\"",
                                    "share/applications/" + kAppId + ".desktop", true},
                      ValidatorCase{"Metainfo", "appstreamcli validate --no-net --strict \"$0\"",
                                    "share/metainfo/" + kAppId + ".metainfo.xml", false},
                      // The page is formatted to /dev/null; groff's warnings go to standard error.
                      ValidatorCase{"ManualPage", "man --warnings -l \"$0\" >/dev/null",
                                    "share/man/man1/reelkeeper.1.gz", true}),
    [](const auto& info) { return std::string(info.param.name); });

// A user starts the program from the menu: the desktop entry's command, found on the PATH, from a
// prefix the user may not write. The collection lands in the user's data folder, readable by that
// user alone, and the prefix stays as it was.
TEST_F(InstallTest, StartsFromAReadOnlyPrefixAndKeepsItsDataInTheUsersFolder) {
  if (!e2e::HasScreenTools()) GTEST_SKIP() << "needs xvfb-run and xdotool";
  e2e::Sandbox sandbox(/*withScannerLibrary=*/false);
  const QString prefix = sandbox.Path("prefix");
  ASSERT_EQ(RunTool("cp", {"-a", Installation::Get().Prefix(), prefix}).status, 0);
  ASSERT_EQ(RunTool("chmod", {"-R", "a-w", prefix}).status, 0);
  const QStringList before = FilesUnder(prefix);
  sandbox.GiveToNobody(/*programFolderToo=*/false);

  e2e::LaunchOptions options;
  options.asNobody = true;
  // env looks the command up on the PATH it sets.
  e2e::DriveMainWindow(
      sandbox, {}, options,
      QStringLiteral(
          R"(env PATH="%1/bin:$PATH" $(sed -n 's/^Exec=//p' "%1/share/applications/%2.desktop"))")
          .arg(prefix, kAppId));

  EXPECT_EQ(FilesUnder(prefix), before);
  const QString file = sandbox.DataFolderFile();
  EXPECT_EQ(testsupport::Sqlite3Shell(file, "PRAGMA integrity_check"), "ok");
  EXPECT_EQ(Mode(file), 0600u);
  EXPECT_EQ(Mode(QFileInfo(file).absolutePath()), 0700u);
}

// A data folder that cannot be made (XDG_DATA_HOME names a file): the start stops with a message
// naming the folder and status 1, and nothing is written anywhere else instead.
TEST_F(InstallTest, DataFolderThatCannotBeMadeStopsTheStartNamingIt) {
  e2e::Sandbox sandbox(/*withScannerLibrary=*/false);
  const QString data = sandbox.Path("data");
  ASSERT_TRUE(QDir(data).removeRecursively());
  QFile blocker(data);
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.close();
  const QStringList before = FilesUnder(sandbox.Path(""));

  e2e::LaunchOptions options;
  options.program = Installation::Get().Path("bin/reelkeeper");
  // The system's own reason: a file stands where a folder is needed (ENOTDIR).
  e2e::ExpectStartStops(sandbox,
                        {"Error\tError Number: 20", QDir(data).filePath("ReelKeeper"),
                         QString::fromLocal8Bit(std::strerror(ENOTDIR))},
                        options);
  // The lock and the scanner's feed come first, in the runtime folder; the message log and the
  // program's output are the test's own.
  QStringList after = FilesUnder(sandbox.Path(""));
  after.removeIf(
      [](const QString& file) { return file.startsWith("run/") || file.startsWith("work/"); });
  EXPECT_EQ(after, before);
}

// The Debian package holds exactly the installed files, in the places the program looks, and
// depends on the libraries the program links.
TEST_F(InstallTest, DebianPackageHoldsTheProgramAndItsDependencies) {
  if (QStandardPaths::findExecutable("dpkg-deb").isEmpty()) GTEST_SKIP() << "needs dpkg-deb";
  QTemporaryDir out;
  const ToolRun cpack = RunTool(REELKEEPER_CPACK, {"-G", "DEB", "-B", out.path()},
                                QStringLiteral(REELKEEPER_BUILD_DIR));
  ASSERT_EQ(cpack.status, 0) << qPrintable(cpack.output);
  const QStringList made = QDir(out.path()).entryList({"*.deb"}, QDir::Files);
  ASSERT_EQ(made.size(), 1) << qPrintable(cpack.output);
  EXPECT_TRUE(made[0].startsWith(QStringLiteral("reelkeeper_%1_").arg(REELKEEPER_VERSION)))
      << qPrintable(made[0]);
  const QString deb = QDir(out.path()).filePath(made[0]);

  const ToolRun contents = RunTool("dpkg-deb", {"-c", deb});
  ASSERT_EQ(contents.status, 0) << qPrintable(contents.output);
  QStringList files;
  for (const QString& line : contents.output.split(u'\n', Qt::SkipEmptyParts)) {
    // "-rw-r--r-- root/root 1234 2024-01-01 00:00 ./usr/bin/reelkeeper"
    const QStringList fields = line.split(u' ', Qt::SkipEmptyParts);
    EXPECT_EQ(fields.value(1), "root/root") << qPrintable(line);
    if (line.startsWith(u'-')) files << fields.last().mid(1) + u' ' + fields.first();
  }
  files.sort();
  const QString library = QDir(AppFunctions::InstalledLibraryFolder("/usr/bin"))
                              .filePath(AppFunctions::kScannerLibraryFileName);
  const QString guides = AppFunctions::DocumentationFolder("/usr/bin");
  QStringList expected = {
      "/usr/bin/reelkeeper -rwxr-xr-x",
      library + " -rw-r--r--",
      guides + "/OfflineDoc.htm -rw-r--r--",
      guides + "/OnlineDoc.htm -rw-r--r--",
      "/usr/share/applications/" + kAppId + ".desktop -rw-r--r--",
      "/usr/share/metainfo/" + kAppId + ".metainfo.xml -rw-r--r--",
      "/usr/share/icons/hicolor/scalable/apps/" + kAppId + ".svg -rw-r--r--",
      "/usr/share/icons/hicolor/48x48/apps/" + kAppId + ".png -rw-r--r--",
      "/usr/share/icons/hicolor/128x128/apps/" + kAppId + ".png -rw-r--r--",
      "/usr/share/man/man1/reelkeeper.1.gz -rw-r--r--",
  };
  expected.sort();
  EXPECT_EQ(files, expected);

  const ToolRun control = RunTool("dpkg-deb", {"-f", deb, "Package", "Version", "Depends"});
  EXPECT_TRUE(control.output.startsWith(
      QStringLiteral("Package: reelkeeper\nVersion: %1\n").arg(REELKEEPER_VERSION)))
      << qPrintable(control.output);
  for (const char* dependency : {"libqt6widgets6", "libqt6svg6", "libsqlite3-0", "libcups2"}) {
    EXPECT_TRUE(control.output.contains(dependency)) << dependency;
  }
}

}  // namespace
