// A logout (SIGTERM) while a message box is open: the box is answered as Escape would answer it,
// the handler that asked finishes with the database still open, and then the program ends as for
// any close.
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <optional>

#include "ProgramFixture.h"
#include "platform/QtMessageBox.h"

namespace {

using seams::MsgAnswer;

TEST_F(ProgramTest, LogoutDuringAQuestionLetsTheHandlerFinishThenEndsNormally) {
  MakeCollection(3);
  QtMessageBox realBoxes;
  seams::SetMessages(&realBoxes);
  std::optional<MsgAnswer> answer;
  qint64 dvdsAfterTheBox = -1;
  bool gaveUp = false;
  // Should the program not end by itself, the test ends it rather than waiting forever.
  QTimer giveUp;
  QObject::connect(&giveUp, &QTimer::timeout, [&] {
    giveUp.setInterval(100);
    gaveUp = true;
    if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    if (MainFunctions::MainWindow()) MainFunctions::MainWindow()->close();
  });
  giveUp.start(30000);

  const int status = RunWhileShown(
      [&] {
        // The logout arrives while the question waits for the user.
        QTimer::singleShot(0, [] {
          if (QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; })) {
            ::kill(::getpid(), SIGTERM);
          }
        });
        answer = seams::ShowMessage("Delete the entry?", "Confirm", seams::MsgIcon::Question,
                                    seams::MsgButtons::YesNo, MsgAnswer::Yes);
        // What the handler does after the answer still reaches the database.
        if (const DatabaseHandle& db = MainFunctions::ProgramCollection().Db(); db && db->IsOpen())
          dvdsAfterTheBox = db->QueryNumber("SELECT count(*) FROM Inventory");
      },
      /*closeAfter=*/false);
  seams::SetMessages(&boxes);

  EXPECT_FALSE(gaveUp);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(answer, MsgAnswer::No);
  EXPECT_EQ(dvdsAfterTheBox, 3);
  // The window's unload ran: its layout is in the file.
  EXPECT_EQ(testsupport::Sqlite3Shell(
                Path(), QStringLiteral("SELECT count(*) FROM Settings WHERE SettingName = "
                                       "'ReelKeeperFrmWindowState'")),
            "1");
  // So is the day's automatic copy, made after it.
  const QDir backups(QFileInfo(Path()).absolutePath() + "/Backups");
  ASSERT_EQ(backups.entryList(QDir::Files).size(), 1);
  EXPECT_EQ(testsupport::Sqlite3Shell(backups.filePath(backups.entryList(QDir::Files)[0]),
                                      QStringLiteral("SELECT count(*) FROM Settings WHERE "
                                                     "SettingName = 'ReelKeeperFrmWindowState'")),
            "1");
}

}  // namespace
