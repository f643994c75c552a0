#include "app/InstanceLock.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "ChildProcess.h"
#include "TestSupport.h"
#include "app/DatabaseError.h"

namespace {

// Every test gets its own runtime and data folders, as two copies of the program of one user
// would see them.
class InstanceLockTest : public ::testing::Test {
 protected:
  void TearDown() override { AppFunctions::InstanceLock(true); }

  QString RuntimeLock() const { return QDir(runtime_.path()).filePath("ReelKeeperMutex"); }
  QString DataLock() const { return QDir(data_.path()).filePath("ReelKeeper/ReelKeeperMutex"); }

  QTemporaryDir runtime_;
  QTemporaryDir data_;
  testsupport::ScopedEnvironment runtimeVariable_{"XDG_RUNTIME_DIR", runtime_.path().toUtf8()};
  testsupport::ScopedEnvironment dataVariable_{"XDG_DATA_HOME", data_.path().toUtf8()};
};

// True when somebody holds an exclusive flock on the file.
bool IsLocked(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
  ::close(fd);
  return locked;
}

TEST_F(InstanceLockTest, LockFileIsInAPrivateRuntimeFolderElseInTmpPerUser) {
  EXPECT_EQ(AppFunctions::InstanceLockPath(), RuntimeLock());

  const QString tmpLock = QStringLiteral("/tmp/ReelKeeperMutex-%1").arg(::geteuid());
  qunsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(AppFunctions::InstanceLockPath(), tmpLock);
  qputenv("XDG_RUNTIME_DIR", "relative/run");
  EXPECT_EQ(AppFunctions::InstanceLockPath(), tmpLock);
  // A runtime folder that others may write in is no better than /tmp.
  ASSERT_EQ(::chmod(QFile::encodeName(runtime_.path()).constData(), 0777), 0);
  qputenv("XDG_RUNTIME_DIR", runtime_.path().toUtf8());
  EXPECT_EQ(AppFunctions::InstanceLockPath(), tmpLock);
}

TEST_F(InstanceLockTest, TakenOnceHeldUntilGivenBack) {
  EXPECT_TRUE(AppFunctions::InstanceLock(false));
  EXPECT_TRUE(IsLocked(RuntimeLock()));
  // The program takes the lock once only.
  EXPECT_FALSE(AppFunctions::InstanceLock(false));
  EXPECT_TRUE(AppFunctions::InstanceLock(true));
  EXPECT_FALSE(IsLocked(RuntimeLock()));
  EXPECT_TRUE(AppFunctions::InstanceLock(true));  // nothing held: still true
  EXPECT_TRUE(AppFunctions::InstanceLock(false));
}

TEST_F(InstanceLockTest, RefusedWhileAnotherProcessHoldsItFreeAfterThatOneIsKilled) {
  childtest::HoldingChild holder([] { return AppFunctions::InstanceLock(false); });
  ASSERT_TRUE(holder.Held());

  EXPECT_FALSE(AppFunctions::InstanceLock(false));
  // A refused copy keeps its marker like the original, so it cannot take the lock later on.
  AppFunctions::InstanceLock(true);

  holder.Kill();
  EXPECT_TRUE(AppFunctions::InstanceLock(false));
}

// The lock file in a folder others could reach: a link is never followed and a file of someone
// else is never used, so nobody can redirect or block the lock; the user's data folder serves.
enum class Planted { Symlink, ForeignFile, Folder };

class InstanceLockPlantedTest : public InstanceLockTest,
                                public ::testing::WithParamInterface<Planted> {};

TEST_P(InstanceLockPlantedTest, NotFollowedNotUsedDataFolderServes) {
  QTemporaryDir elsewhere;
  const QString victim = QDir(elsewhere.path()).filePath("victim");
  {
    QFile file(victim);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("precious");
  }
  const QByteArray lock = QFile::encodeName(RuntimeLock());
  switch (GetParam()) {
    case Planted::Symlink:
      ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(), lock.constData()), 0);
      break;
    case Planted::ForeignFile: {
      QFile file(RuntimeLock());
      ASSERT_TRUE(file.open(QIODevice::WriteOnly));
      file.close();
      ASSERT_EQ(::chown(lock.constData(), 65534, 65534), 0);  // nobody's
      ASSERT_EQ(::chmod(lock.constData(), 0666), 0);
      break;
    }
    case Planted::Folder:
      ASSERT_EQ(::mkdir(lock.constData(), 0700), 0);
      break;
  }
  EXPECT_TRUE(AppFunctions::InstanceLock(true));
  EXPECT_TRUE(AppFunctions::InstanceLock(false));
  EXPECT_TRUE(IsLocked(DataLock()));
  EXPECT_FALSE(IsLocked(victim));
  QFile file(victim);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), QByteArray("precious"));
  struct stat info {};
  ASSERT_EQ(::stat(QFile::encodeName(DataLock()).constData(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

INSTANTIATE_TEST_SUITE_P(Planted, InstanceLockPlantedTest,
                         ::testing::Values(Planted::Symlink, Planted::ForeignFile, Planted::Folder),
                         [](const auto& info) {
                           return std::string(info.param == Planted::Symlink       ? "Symlink"
                                              : info.param == Planted::ForeignFile ? "ForeignFile"
                                                                                   : "Folder");
                         });

TEST_F(InstanceLockTest, NoUsableLockFileAtAllIsAnErrorNotAnotherInstance) {
  // Neither the runtime folder's file nor the data folder can be used.
  ASSERT_EQ(::mkdir(QFile::encodeName(RuntimeLock()).constData(), 0700), 0);
  QFile blocker(QDir(data_.path()).filePath("ReelKeeper"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));  // a file where the folder should be
  blocker.close();
  try {
    AppFunctions::InstanceLock(false);
    FAIL() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_TRUE(error.Description().contains(RuntimeLock())) << qPrintable(error.Description());
  }
}

}  // namespace

namespace {

// Two copies of one user on one collection, each in a session of its own (another log-in, a
// remote desktop): the runtime folders differ, the collection lock is the same, also when one
// copy reaches the file through a link.
TEST_F(InstanceLockTest, CollectionLockKeepsASecondProcessOffTheSameFileWhateverItsSession) {
  const QString file = QDir(data_.path()).filePath("ReelKeeper.mdb");
  const QString link = QDir(runtime_.path()).filePath("collection.mdb");
  QFile(file).open(QIODevice::WriteOnly);
  ASSERT_TRUE(QFile::link(file, link));
  childtest::HoldingChild holder([&file] {
    qputenv("XDG_RUNTIME_DIR", "/nonexistent/other-session");
    return AppFunctions::CollectionLock(file);
  });
  ASSERT_TRUE(holder.Held());

  EXPECT_FALSE(AppFunctions::CollectionLock(link));
  EXPECT_FALSE(AppFunctions::CollectionLock(file));
  holder.Kill();
  EXPECT_TRUE(AppFunctions::CollectionLock(link));
  EXPECT_TRUE(AppFunctions::CollectionLock(file));  // held already: asking again is no refusal
  AppFunctions::ReleaseCollectionLock();
  EXPECT_EQ(QDir(data_.path()).entryList(QDir::Files), QStringList{"ReelKeeper.mdb"});
}

}  // namespace
