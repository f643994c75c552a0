#include "app/DatabasePath.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "ChildProcess.h"
#include "TestSupport.h"
#include "app/DatabaseError.h"

namespace {

using testsupport::ScopedEnvironment;

TEST(DatabasePathTest, ProgramFolderIsTheExecutablesFolder) {
  const QString folder = AppFunctions::ProgramFolder();
  EXPECT_TRUE(QFile::exists(QDir(folder).filePath("core_tests"))) << qPrintable(folder);
  EXPECT_EQ(AppFunctions::DatabasePath(), QDir(folder).filePath("ReelKeeper.mdb"));
}

TEST(DatabasePathTest, UserDataFolderFollowsTheXdgRules) {
  // A relative value is to be ignored, not taken relative to the current folder.
  const std::pair<QByteArray, QString> cases[] = {
      {"/data/home", "/data/home/ReelKeeper"},
      {QByteArray(), "/home/u/.local/share/ReelKeeper"},  // unset
      {"", "/home/u/.local/share/ReelKeeper"},
      {"data", "/home/u/.local/share/ReelKeeper"}};
  ScopedEnvironment home("HOME", "/home/u");
  for (const auto& [xdgDataHome, expected] : cases) {
    ScopedEnvironment data("XDG_DATA_HOME", xdgDataHome);
    EXPECT_EQ(AppFunctions::UserDataFolder(), expected) << xdgDataHome.constData();
  }
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Root may write anywhere, so the choice is checked as the unprivileged user "nobody" would see
// it: a program folder of its own that it may write keeps the file, one it may not write (shared
// by all users) does not.
TEST(DatabasePathTest, UnwritableProgramFolderSendsTheFileToTheDataFolder) {
  QTemporaryDir root;
  ASSERT_TRUE(root.isValid());
  ASSERT_EQ(::chmod(QFile::encodeName(root.path()).constData(), 0755), 0);
  const QString shared = QDir(root.path()).filePath("shared");
  const QString own = QDir(root.path()).filePath("own");
  for (const QString& folder : {shared, own}) {
    ASSERT_TRUE(WriteFile(QDir(folder).filePath(AppFunctions::kScannerLibraryFileName), "so"));
  }
  ASSERT_EQ(::chmod(QFile::encodeName(shared).constData(), 0755), 0);
  ASSERT_EQ(::chown(QFile::encodeName(own).constData(), 65534, 65534), 0);

  ScopedEnvironment data("XDG_DATA_HOME", "/var/nobody-data");
  const auto result = childtest::RunInChild([&] {
    if (!childtest::BecomeNobody()) return 10;
    if (AppFunctions::DatabasePathFor(shared) != "/var/nobody-data/ReelKeeper/ReelKeeper.mdb")
      return 11;
    if (AppFunctions::DatabasePathFor(own) != QDir(own).filePath("ReelKeeper.mdb")) return 12;
    return 0;
  });
  EXPECT_EQ(result.code, 0);
}

// Where the collection is looked for, in a temporary root (all of it writable: the tests run as
// root, as a user's own ~/.local is writable to the user): "data" is XDG_DATA_HOME, "home" is
// HOME and "chosen" is REELKEEPER_HOME. Never an empty one beside the user's own.
TEST(DatabasePathTest, CollectionIsChosenByTheLayout) {
  struct PlaceCase {
    const char* name;
    bool installed;        // usr/bin without the scanner library; else a folder of its own
    const char* earlier;   // a collection the program-folder copy left (relative), or null
    int earlierSize;       // its size in bytes
    bool dataFolderHolds;  // the data folder already holds a collection
    const char* expected;  // the path chosen (relative); null: refused, naming `earlier`
  };
  const PlaceCase cases[] = {
      // scripts/run.sh's copy lives in ~/ReelKeeper: its own folder, whatever else there is.
      {"FolderOfItsOwn", false, "home/ReelKeeper/ReelKeeper.mdb", 4096, true,
       "folder/ReelKeeper.mdb"},
      // A prefix the user may write (~/.local) is still no place for a collection.
      {"InstalledInAWritablePrefix", true, nullptr, 0, false, "data/ReelKeeper/ReelKeeper.mdb"},
      {"InstalledFindsTheRunScriptsCollection", true, "home/ReelKeeper/ReelKeeper.mdb", 4096, false,
       nullptr},
      {"InstalledFindsItInReelKeeperHome", true, "chosen/ReelKeeper.mdb", 4096, false, nullptr},
      {"InstalledPassesOverAnEmptyFile", true, "home/ReelKeeper/ReelKeeper.mdb", 0, false,
       "data/ReelKeeper/ReelKeeper.mdb"},
      {"InstalledKeepsToItsOwnOnceItHasOne", true, "home/ReelKeeper/ReelKeeper.mdb", 4096, true,
       "data/ReelKeeper/ReelKeeper.mdb"}};
  for (const PlaceCase& c : cases) {
    SCOPED_TRACE(c.name);
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const auto path = [&](const QString& relative) { return QDir(root.path()).filePath(relative); };
    const QString program = path(c.installed ? "usr/bin" : "folder");
    ASSERT_TRUE(QDir().mkpath(program));
    if (!c.installed) {
      ASSERT_TRUE(WriteFile(QDir(program).filePath(AppFunctions::kScannerLibraryFileName), "so"));
    }
    if (c.earlier) {
      ASSERT_TRUE(WriteFile(path(c.earlier), QByteArray(c.earlierSize, 'x')));
    }
    const QString dataFile = path("data/ReelKeeper/ReelKeeper.mdb");
    if (c.dataFolderHolds) {
      ASSERT_TRUE(WriteFile(dataFile, "x"));
    }
    ScopedEnvironment data("XDG_DATA_HOME", QFile::encodeName(path("data")));
    ScopedEnvironment home("HOME", QFile::encodeName(path("home")));
    ScopedEnvironment chosen("REELKEEPER_HOME", QFile::encodeName(path("chosen")));

    if (c.expected) {
      EXPECT_EQ(AppFunctions::DatabasePathFor(program), path(c.expected));
      continue;
    }
    try {
      AppFunctions::DatabasePathFor(program);
      ADD_FAILURE() << "an empty collection was chosen over " << c.earlier;
    } catch (const DatabaseError& error) {
      const QString text = error.Description();
      EXPECT_TRUE(text.contains(path(c.earlier))) << qPrintable(text);
      EXPECT_TRUE(text.contains(path("data/ReelKeeper"))) << qPrintable(text);
    }
    EXPECT_FALSE(QFileInfo::exists(dataFile));
  }
}

}  // namespace
