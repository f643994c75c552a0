#include "app/DatabasePath.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ChildProcess.h"
#include "TestSupport.h"

namespace {

using testsupport::ScopedEnvironment;

TEST(DatabasePathTest, ProgramFolderIsTheExecutablesFolder) {
  const QString folder = AppFunctions::ProgramFolder();
  EXPECT_TRUE(QFile::exists(QDir(folder).filePath("core_tests"))) << qPrintable(folder);
  EXPECT_EQ(AppFunctions::DatabasePath(), QDir(folder).filePath("ReelKeeper.mdb"));
}

struct DataHomeCase {
  const char* name;
  QByteArray xdgDataHome;  // null: unset
  QByteArray home;
  QString expected;
};

void PrintTo(const DataHomeCase& c, std::ostream* os) { *os << c.name; }

class UserDataFolderTest : public ::testing::TestWithParam<DataHomeCase> {};

TEST_P(UserDataFolderTest, FollowsTheXdgRules) {
  ScopedEnvironment data("XDG_DATA_HOME", GetParam().xdgDataHome);
  ScopedEnvironment home("HOME", GetParam().home);
  EXPECT_EQ(AppFunctions::UserDataFolder(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UserDataFolderTest,
    ::testing::Values(
        DataHomeCase{"Set", "/data/home", "/home/u", "/data/home/ReelKeeper"},
        DataHomeCase{"Unset", QByteArray(), "/home/u", "/home/u/.local/share/ReelKeeper"},
        DataHomeCase{"Empty", "", "/home/u", "/home/u/.local/share/ReelKeeper"},
        // A relative value is to be ignored, not taken relative to the current folder.
        DataHomeCase{"Relative", "data", "/home/u", "/home/u/.local/share/ReelKeeper"}),
    [](const auto& info) { return std::string(info.param.name); });

// Root may write anywhere, so the choice is checked as the unprivileged user "nobody" would see
// it: a folder it may write keeps the file, an installed copy's folder does not.
TEST(DatabasePathTest, UnwritableProgramFolderSendsTheFileToTheDataFolder) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
  const QString installed = QDir(root.path()).filePath("installed");
  const QString own = QDir(root.path()).filePath("own");
  ASSERT_TRUE(QDir().mkpath(installed) && QDir().mkpath(own));
  ASSERT_EQ(::chmod(QFile::encodeName(installed).constData(), 0755), 0);
  ASSERT_EQ(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);

  ScopedEnvironment data("XDG_DATA_HOME", "/var/nobody-data");
  const auto result = childtest::RunInChild([&] {
    if (!childtest::BecomeNobody()) return 10;
    if (AppFunctions::DatabasePathFor(installed) != "/var/nobody-data/ReelKeeper/ReelKeeper.mdb")
      return 11;
    if (AppFunctions::DatabasePathFor(own) != QDir(own).filePath("ReelKeeper.mdb")) return 12;
    return 0;
  });
  EXPECT_TRUE(result.exited);
  EXPECT_EQ(result.code, 0);
}

}  // namespace
