// Another program holding the database file is a passing condition: at the event boundary the
// user is told in plain words after a moment, the program goes on, and a later try works; at start
// the user is asked whether to try again.
#include "app/ReelKeeperApplication.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/resource.h>

#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QProgressDialog>

#include "ProgramFixture.h"

namespace {

// Reads the collection in an event handler, as a click on a DVD does.
class Reader final : public QObject {
 public:
  explicit Reader(DatabaseHandle db) : db_(std::move(db)) {}
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    dvds = db_->QueryNumber("SELECT count(*) FROM Inventory");
    return true;
  }
  qint64 dvds = -1;

 private:
  DatabaseHandle db_;
};

TEST(ErrorBoundaryTest, FileHeldByAnotherProgramIsReportedAndTheProgramGoesOn) {
  testsupport::TempDatabase file;
  file.AddDvd("Casablanca");
  // The program's own collection on that file: the box names it.
  Collection& db = MainFunctions::ProgramCollection();
  DatabaseMaintenance::Open(db, file.Path());
  testsupport::ScriptedMessageBox boxes;
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(db.Path().toUtf8().constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);

  Reader reader(db.Db());
  QEvent click(QEvent::User);
  QElapsedTimer waited;
  waited.start();
  QCoreApplication::sendEvent(&reader, &click);
  // A moment, not a frozen window.
  EXPECT_LT(waited.elapsed(), 1800);
  EXPECT_EQ(reader.dvds, -1);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_TRUE(boxes.Shown()[0].text.startsWith("The collection is in use by another program: "))
      << qPrintable(boxes.Shown()[0].text);
  EXPECT_TRUE(boxes.Shown()[0].text.contains(db.Path())) << qPrintable(boxes.Shown()[0].text);

  ASSERT_EQ(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
  QCoreApplication::sendEvent(&reader, &click);
  EXPECT_EQ(reader.dvds, 1);
  EXPECT_EQ(boxes.Shown().size(), 1u);
  DatabaseMaintenance::Close(db);
}

// Writes in an event handler, as a command does.
class Writer final : public QObject {
 public:
  explicit Writer(DatabaseHandle db) : db_(std::move(db)) {}
  bool event(QEvent* event) override {
    if (event->type() != QEvent::User) return QObject::event(event);
    db_->Execute("INSERT INTO Inventory (DVDTitle) VALUES ('Heat')");
    written = true;
    return true;
  }
  bool written = false;

 private:
  DatabaseHandle db_;
};

// A disk that fills up while the program runs (a file-size limit on this process): the user is
// told in plain words what to do, the report is logged, the program goes on, and the same command
// works once there is room again. (A folder made read-only takes the same way: ErrorFunctionsTest.)
TEST(ErrorBoundaryTest, FullDiskIsReportedAndLoggedAndTheCommandWorksOnceThereIsRoom) {
  testsupport::TempCurrentFolder folder;
  testsupport::TempDatabase db;
  testsupport::ScriptedMessageBox boxes;
  Writer writer(db.Db());
  QEvent click(QEvent::User);
  rlimit normal{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &normal), 0);
  const auto oldHandler = ::signal(SIGXFSZ, SIG_IGN);
  const rlimit small{2048, normal.rlim_max};
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  QCoreApplication::sendEvent(&writer, &click);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &normal), 0);
  ::signal(SIGXFSZ, oldHandler);

  EXPECT_FALSE(writer.written);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  const QString text = boxes.Shown()[0].text;
  EXPECT_TRUE(text.startsWith("The disk that holds the collection is full: ")) << qPrintable(text);
  EXPECT_TRUE(text.contains("Free some space")) << qPrintable(text);
  QFile log(folder.Path() + "/ErrorLog");
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  EXPECT_TRUE(log.readAll().contains("The disk that holds the collection is full"));

  QCoreApplication::sendEvent(&writer, &click);
  EXPECT_TRUE(writer.written);
  EXPECT_EQ(boxes.Shown().size(), 1u);
}

// Unattended, the question at start takes its default: the start ends with status 1 and the file
// and its folder stay as they were.
TEST_F(ProgramTest, FileHeldAtStartEndsTheStartOnNoAndIsLeftAsItWas) {
  MakeCollection(2);
  const QByteArray before = testsupport::Checksum(Path());
  sqlite3* other = nullptr;
  ASSERT_EQ(sqlite3_open(Path().toUtf8().constData(), &other), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  bool shown = false;
  EXPECT_EQ(RunWhileShown([&] { shown = true; }), 1);
  EXPECT_FALSE(shown);
  ASSERT_EQ(sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(other);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  const seams::MessageRequest& asked = boxes.Shown()[0];
  EXPECT_TRUE(asked.text.startsWith("The collection is in use by another program: "))
      << qPrintable(asked.text);
  EXPECT_TRUE(asked.text.contains(Path())) << qPrintable(asked.text);
  EXPECT_EQ(asked.title, "ReelKeeper");
  EXPECT_EQ(testsupport::Checksum(Path()), before);
  EXPECT_EQ(Files(), QStringList{"ReelKeeper.mdb"});
}

// An older file's first start shows the preparing bar at once for a large collection (here told
// by its highest rowid); Cancel ends the start with status 1 and leaves the file as it was.
TEST_F(ProgramTest, CancelWhilePreparingAnOlderFileEndsTheStartAndLeavesItAsItWas) {
  MakeCollection(2);
  testsupport::Sqlite3Shell(Path(),
                            "INSERT INTO Inventory (rowid, DVDTitle) VALUES (50000, 'Last');"
                            "DROP TABLE ListOrder;");
  const QByteArray before = testsupport::Checksum(Path());
  QTimer cancel;  // runs while the bar lets events through
  QObject::connect(&cancel, &QTimer::timeout, [] {
    if (auto* bar = qobject_cast<QProgressDialog*>(QApplication::activeModalWidget()))
      if (bar->objectName() == "PreparingProgress") bar->cancel();
  });
  cancel.start(0);
  EXPECT_EQ(RunWhileShown([] {}), 1);
  EXPECT_EQ(testsupport::Checksum(Path()), before);
}

}  // namespace
