// The log-on entry on a Linux desktop: an XDG autostart file that desktop-file-validate accepts
// and whose command is the program's path, whatever characters the path holds.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "platform/XdgAutostartEntry.h"

namespace {

class AutostartTest : public ::testing::Test {
 protected:
  QString Path(const QString& relative) const { return QDir(dir_.path()).filePath(relative); }

  static QString FileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
  }
  static void WriteText(const QString& path, const QString& text) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(text.toUtf8());
  }

  QTemporaryDir dir_;
  testsupport::ScopedEnvironment home_{"HOME", QFile::encodeName(Path("home"))};
  // A configuration folder that does not exist yet.
  testsupport::ScopedEnvironment config_{"XDG_CONFIG_HOME", QFile::encodeName(Path("config"))};
  XdgAutostartEntry entry;
};

struct ProgramPath {
  const char* name;
  const char* path;
};

void PrintTo(const ProgramPath& p, std::ostream* os) { *os << p.name; }

class ExecLineTest : public AutostartTest, public ::testing::WithParamInterface<ProgramPath> {};

TEST_P(ExecLineTest, ValidAndRunsTheProgramWithCheckOnly) {
  const QString program = QString::fromUtf8(GetParam().path);
  ASSERT_EQ(entry.Write(program, {QStringLiteral("checkonly")}), QString());
  EXPECT_EQ(entry.FilePath(), Path("config/autostart/RunReelKeeper.desktop"));
  EXPECT_EQ(entry.ReadCommand(), QStringList({program, QStringLiteral("checkonly")}));

  const QString validator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
  if (validator.isEmpty()) GTEST_SKIP() << "needs desktop-file-validate (desktop-file-utils)";
  QProcess validate;
  validate.setProcessChannelMode(QProcess::MergedChannels);
  validate.start(validator, {entry.FilePath()});
  ASSERT_TRUE(validate.waitForFinished(30000));
  EXPECT_EQ(validate.exitCode(), 0);
  EXPECT_EQ(validate.readAll(), QByteArray()) << qPrintable(FileText(entry.FilePath()));
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ExecLineTest,
    ::testing::Values(ProgramPath{"Plain", "/home/ann/ReelKeeper/reelkeeper"},
                      ProgramPath{"Blanks", "/home/ann/My Programs/Reel Keeper/reelkeeper"},
                      ProgramPath{"Percent", "/home/ann/100%done/reelkeeper %f"},
                      ProgramPath{"QuotesAndShellCharacters",
                                  "/home/ann/\"odd\" $HOME \\ `x` it's;&|*?#()<>~/reelkeeper"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AutostartTest, SwitchedOffMissingOrEmptyEntries) {
  EXPECT_EQ(entry.ReadCommand(), std::nullopt);
  entry.Remove();  // nothing there: no error, nothing made
  EXPECT_FALSE(QFile::exists(entry.FilePath()));

  ASSERT_EQ(entry.Write(QStringLiteral("/opt/rk/reelkeeper"), {QStringLiteral("checkonly")}),
            QString());
  const QString file = entry.FilePath();
  const QString text = FileText(file);
  // A path with nothing to quote stands as it is: the program's path, a blank, "checkonly".
  EXPECT_TRUE(text.contains(u"\nExec=/opt/rk/reelkeeper checkonly\n"));
  EXPECT_TRUE(text.contains(u"\nTryExec=/opt/rk/reelkeeper\n"));
  WriteText(file, text + QStringLiteral("Hidden=true\n"));
  EXPECT_EQ(entry.ReadCommand(), std::nullopt);
  WriteText(file,
            QString(text).replace(QStringLiteral("enabled=true"), QStringLiteral("enabled=false")));
  EXPECT_EQ(entry.ReadCommand(), std::nullopt);
  WriteText(file, QStringLiteral("[Desktop Entry]\nType=Application\nName=x\nExec=   \n"));
  EXPECT_EQ(entry.ReadCommand(), QStringList());
  entry.Remove();
  EXPECT_FALSE(QFile::exists(file));
}

// The base-directory rules: a relative XDG_CONFIG_HOME is ignored.
TEST_F(AutostartTest, RelativeConfigFolderIsIgnored) {
  qputenv("XDG_CONFIG_HOME", "relative/config");
  EXPECT_EQ(entry.FilePath(), Path("home/.config/autostart/RunReelKeeper.desktop"));
}

}  // namespace
