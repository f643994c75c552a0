// The collection menu's Back Up and Restore, driven through the real window.
// What a copy and a restore do to the files is the engine's (DatabaseBackupTest).
#include <QFileInfo>
#include <QPushButton>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "inventory/InventoryWrites.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;

namespace {

class BackupCommandsTest : public ReelKeeperFrmTest {
 protected:
  // Answers the file question of the menu item with file; returns what the question offered.
  QString Choose(const QString& item, const QString& file) {
    ChosenFile chosen(file);
    Find<QAction>(item)->trigger();
    return chosen.offered;
  }
  QStringList ListTitles() const {
    QStringList titles;
    DVDListModel* model = List()->Model();
    for (int row = 0; row < model->rowCount(); ++row) {
      titles << model->index(row, 0).data().toString();
    }
    titles.sort();
    return titles;
  }
};

TEST_F(BackupCommandsTest, BackUpWhileRunningThenRestoreIt) {
  db.AddDvd("Heat", {}, 1, "Ann Lee");
  db.AddDvd("Alien");
  db.AddCustomer("Ann Lee");
  Load();
  const QString copy = db.Folder() + "/Copy.mdb";
  EXPECT_EQ(QFileInfo(Choose("BackUp", copy)).fileName(), "ReelKeeper-2024-04-10.mdb");
  EXPECT_EQ(StatusBarText(), "Backup Complete: " + copy);

  ASSERT_EQ(InventoryFunctions::DeleteDVD(db, "Alien"), InventoryFunctions::DVDOutcome::Saved);
  ASSERT_EQ(ListTitles(), QStringList{"Heat"});
  boxes.Answer(MsgAnswer::Yes);
  Choose("Restore", copy);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  const seams::MessageRequest& asked = boxes.Shown()[0];
  EXPECT_TRUE(asked.text.startsWith("Restore the backup '" + copy + "'?\r\n\r\nMade: "));
  EXPECT_TRUE(asked.text.contains("\r\nDVDs: 2 (on loan: 1)\r\nBorrowers: 1\r\n\r\n"));
  EXPECT_TRUE(asked.text.endsWith("kept as '" + db.Path() + ".before-restore'."));
  EXPECT_EQ(asked.defaultAnswer, MsgAnswer::No);
  EXPECT_EQ(ListTitles(), QStringList({"Alien", "Heat"}));
  EXPECT_EQ(StatusBarText(), "Restore Complete: " + copy);
  EXPECT_EQ(
      testsupport::Sqlite3Shell(db.Path() + ".before-restore", "SELECT DVDTitle FROM Inventory"),
      "Heat");
  // The program goes on with the restored file.
  ASSERT_EQ(InventoryFunctions::DeleteDVD(db, "Alien"), InventoryFunctions::DVDOutcome::Saved);
  EXPECT_EQ(db.Column("SELECT DVDTitle FROM Inventory"), QStringList{"Heat"});
}

TEST_F(BackupCommandsTest, AFileNotOfTheProgramIsRefusedUntouched) {
  db.AddDvd("Heat");
  Load();
  const QString other = db.Folder() + "/Music.mdb";
  testsupport::Sqlite3Shell(other,
                            "CREATE TABLE Tracks(Name TEXT); INSERT INTO Tracks VALUES('x');");
  const QByteArray collection = testsupport::Checksum(db.Path());
  const QByteArray foreign = testsupport::Checksum(other);
  Choose("Restore", other);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].icon, MsgIcon::Exclamation);
  EXPECT_TRUE(boxes.Shown()[0].text.contains(other));
  EXPECT_TRUE(boxes.Shown()[0].text.endsWith("\r\nYour collection has not been changed."));
  EXPECT_EQ(testsupport::Checksum(db.Path()), collection);
  EXPECT_EQ(testsupport::Checksum(other), foreign);
  EXPECT_FALSE(QFileInfo::exists(db.Path() + ".before-restore"));
  EXPECT_EQ(ListTitles(), QStringList{"Heat"});
}

// Cancel pressed as soon as the check's bar is made, before it is shown: the user is asked
// nothing and nothing changes.
TEST_F(BackupCommandsTest, CancelDuringTheCheckChangesNothing) {
  db.AddDvd("Heat");
  Load();
  const QString copy = db.Folder() + "/Copy.mdb";
  Choose("BackUp", copy);
  struct PressCancel final : QObject {
    bool eventFilter(QObject* bar, QEvent* event) override {
      if (event->type() == QEvent::WindowTitleChange && bar->objectName() == "BackupProgress") {
        bar->findChild<QPushButton*>()->click();
      }
      return false;
    }
  } press;
  qApp->installEventFilter(&press);
  const QByteArray collection = testsupport::Checksum(db.Path());
  Choose("Restore", copy);
  qApp->removeEventFilter(&press);
  EXPECT_TRUE(boxes.Shown().empty());
  EXPECT_EQ(StatusBarText(), "Cancelled: nothing was restored.");
  EXPECT_EQ(testsupport::Checksum(db.Path()), collection);
  EXPECT_FALSE(QFileInfo::exists(db.Path() + ".before-restore"));
}

}  // namespace
