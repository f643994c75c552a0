#pragma once

// Runs the whole program in the test process (RunProgram) on a collection file of the test's
// own, with its own lock folder and current folder, so that the start, the event loop and the
// shutdown are the program's own and the message boxes are the test's.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QTimer>
#include <functional>

#include "TestSupport.h"
#include "app/Collection.h"
#include "app/MainFunctions.h"
#include "ui/main/ReelKeeperFrm.h"
#include "upkeep/DatabaseMaintenance.h"

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(QDir().mkpath(folder_.Path() + "/run"));
    ASSERT_EQ(::chmod(QFile::encodeName(folder_.Path() + "/run").constData(), 0700), 0);
  }

  QString Path() const { return folder_.Path() + "/ReelKeeper.mdb"; }
  // The files beside the collection.
  QStringList Files() const { return QDir(folder_.Path()).entryList(QDir::Files | QDir::Hidden); }

  // A collection of the program's own with `dvds` DVDs ("Title 0", ...), closed again.
  void MakeCollection(int dvds) {
    Collection collection;
    DatabaseMaintenance::Open(collection, Path());
    const DatabaseHandle& db = collection.Db();
    Transaction transaction(db);
    for (int i = 0; i < dvds; ++i) {
      db->Execute(QStringLiteral("INSERT INTO Inventory (DVDTitle, Description) VALUES "
                                 "('Title %1', '%2')")
                      .arg(i)
                      .arg(QString(300, u'x')));
    }
    transaction.Commit();
    DatabaseMaintenance::Close(collection);
  }

  static void Overwrite(const QString& path, qint64 offset, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.seek(offset));
    ASSERT_EQ(file.write(bytes), bytes.size());
  }

  // Runs the program; `whileShown` runs on its event loop once the window is shown, and the
  // window is closed after it (as the user would), unless `closeAfter` is false.
  int RunWhileShown(const std::function<void()>& whileShown, bool closeAfter = true) {
    QTimer driver;
    driver.setSingleShot(true);
    QObject::connect(&driver, &QTimer::timeout, [&] {
      struct Closer {
        bool close;
        ~Closer() {
          if (close && MainFunctions::MainWindow()) MainFunctions::MainWindow()->close();
        }
      } closer{closeAfter};
      whileShown();
    });
    driver.start(0);
    return MainFunctions::RunProgram(Path());
  }

  static int ListRows() {
    auto* list = MainFunctions::MainWindow()->findChild<QAbstractItemView*>("DVDList");
    return list ? list->model()->rowCount() : -1;
  }

  testsupport::ScriptedMessageBox boxes;

 private:
  testsupport::TempCurrentFolder folder_;  // "ErrorLog" goes here
  testsupport::ScopedEnvironment runtime_{"XDG_RUNTIME_DIR",
                                          QFile::encodeName(folder_.Path() + "/run")};
};
