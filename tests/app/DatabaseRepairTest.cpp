// A damaged collection is offered the salvage: at start when the damage shows, and after the
// window is shown when the background check finds damage that would only show at a later write.
#include "app/DatabaseRepair.h"

#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QTest>

#include "ProgramFixture.h"

namespace {

using seams::MsgAnswer;

class DatabaseRepairTest : public ProgramTest {
 protected:
  // Overwrites a page of DVDs in a collection of 300: the file opens, and loading the list meets
  // the damage.
  void MakeDamagedCollection() {
    MakeCollection(300);
    const QString leaf = testsupport::Sqlite3Shell(
        Path(), QStringLiteral("SELECT pageno FROM dbstat WHERE name = 'Inventory' AND "
                               "pagetype = 'leaf' LIMIT 1 OFFSET 5"));
    ASSERT_GT(leaf.toLongLong(), 1) << qPrintable(leaf);
    Overwrite(Path(), (leaf.toLongLong() - 1) * 4096, QByteArray(4096, char(0xA5)));
  }

  void ExpectAsked() {
    ASSERT_GE(boxes.Shown().size(), 1u);
    const seams::MessageRequest& question = boxes.Shown()[0];
    EXPECT_TRUE(question.text.contains(Path())) << qPrintable(question.text);
    EXPECT_EQ(question.title, "ReelKeeper");
    EXPECT_EQ(question.buttons, seams::MsgButtons::YesNo);
    EXPECT_EQ(question.defaultAnswer, MsgAnswer::No);
    EXPECT_EQ(seams::EscapeAnswer(question), MsgAnswer::No);
  }

  void ExpectRepaired(int keptDvds) {
    EXPECT_EQ(testsupport::Sqlite3Shell(Path(), "PRAGMA integrity_check"), "ok");
    EXPECT_TRUE(QFileInfo::exists(Path() + ".damaged"));
    ASSERT_EQ(boxes.Shown().size(), 2u);
    ExpectAsked();
    EXPECT_TRUE(boxes.Shown()[1].text.contains(QStringLiteral("\r\nInventory: %1").arg(keptDvds)))
        << qPrintable(boxes.Shown()[1].text);
  }
};

TEST_F(DatabaseRepairTest, DamageMetAtStartIsRepairedOnYesAndTheProgramStarts) {
  MakeDamagedCollection();
  boxes.Answer(MsgAnswer::Yes);
  int shownRows = -1;
  EXPECT_EQ(RunWhileShown([&] { shownRows = ListRows(); }), 0);
  // One page of DVDs was lost; the rest are kept and listed.
  EXPECT_GT(shownRows, 0);
  EXPECT_LT(shownRows, 300);
  ExpectRepaired(shownRows);
  // The copy made before the repair (still damaged); the exit makes no second one the same day.
  const QDir backups(QFileInfo(Path()).absolutePath() + "/Backups");
  ASSERT_EQ(backups.entryList(QDir::Files).size(), 1);
  EXPECT_NE(testsupport::Sqlite3Shell(backups.filePath(backups.entryList(QDir::Files)[0]),
                                      "PRAGMA integrity_check"),
            "ok");
}

// Unattended, the question takes its default: the start ends with status 1 and the file and its
// folder stay as they were.
TEST_F(DatabaseRepairTest, DamageMetAtStartIsLeftAsItWasOnNo) {
  MakeDamagedCollection();
  const QByteArray before = testsupport::Checksum(Path());
  bool shown = false;
  EXPECT_EQ(RunWhileShown([&] { shown = true; }), 1);
  EXPECT_FALSE(shown);
  EXPECT_EQ(boxes.Shown().size(), 1u);
  ExpectAsked();
  EXPECT_EQ(testsupport::Checksum(Path()), before);
  EXPECT_EQ(Files(), QStringList{"ReelKeeper.mdb"});
  EXPECT_FALSE(QFileInfo::exists(QFileInfo(Path()).absolutePath() + "/Backups"));
}

TEST_F(DatabaseRepairTest, QuietDamageFoundAfterStartIsRepairedOnYesAndTheListReloaded) {
  MakeCollection(50);
  // The header's first free page lies beyond the end of the file: the program starts normally.
  Overwrite(Path(), 32, QByteArray::fromHex("0001869f00000001"));
  boxes.Answer(MsgAnswer::Yes);

  int rowsAfterRepair = -1;
  QString titleAfterRepair;
  EXPECT_EQ(RunWhileShown([&] {
              ASSERT_TRUE(QTest::qWaitFor([&] { return boxes.Shown().size() >= 2; }, 60000));
              rowsAfterRepair = ListRows();
              // The window reads through the reopened database.
              auto* list = MainFunctions::MainWindow()->findChild<QAbstractItemView*>("DVDList");
              list->setCurrentIndex(list->model()->index(0, 0));
              titleAfterRepair =
                  MainFunctions::MainWindow()->findChild<QLineEdit*>("TitleTxt")->text();
            }),
            0);
  EXPECT_EQ(rowsAfterRepair, 50);
  EXPECT_TRUE(titleAfterRepair.startsWith("Title ")) << qPrintable(titleAfterRepair);
  ExpectRepaired(50);
  EXPECT_TRUE(boxes.Shown()[0].text.contains("freelist")) << qPrintable(boxes.Shown()[0].text);
}

}  // namespace
