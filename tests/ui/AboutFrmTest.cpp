// The About window: the log-on entry follows its box, the documents are found beside the
// program, the home page opens, and the clean-up leaves the program working on the cleaned file.
#include "ui/about/AboutFrm.h"

#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QSpinBox>
#include <QTest>
#include <QTextBrowser>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "ReelKeeperVersion.h"
#include "app/DatabasePath.h"
#include "seams/AutostartEntry.h"
#include "seams/DocumentOpener.h"
#include "seams/NetworkState.h"

using seams::MsgAnswer;
using seams::MsgButtons;
using seams::MsgIcon;
using testsupport::ExpectBox;

namespace {

class FakeAutostart final : public seams::AutostartEntry {
 public:
  std::optional<QStringList> ReadCommand() override { return command; }
  QString Write(const QString& program, const QStringList& arguments) override {
    ++writes;
    if (failure.isEmpty()) command = QStringList{program} + arguments;
    return failure;
  }
  void Remove() override { command.reset(); }

  std::optional<QStringList> command;
  QString failure;
  int writes = 0;
};

// Records what is opened instead of opening it, on a network that is there or not.
class FakeDesktop final : public seams::DocumentOpener, public seams::NetworkState {
 public:
  bool Open(const QString& target) override {
    opened << target;
    return opens;
  }
  bool IsConnected() override { return connected; }
  QStringList opened;
  bool connected = false;
  bool opens = true;
};

class AboutFrmTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    seams::SetAutostartEntry(&autostart);
    seams::SetDocumentOpener(&desktop);
    seams::SetNetworkState(&desktop);
  }
  void TearDown() override {
    seams::SetNetworkState(nullptr);
    seams::SetDocumentOpener(nullptr);
    seams::SetAutostartEntry(nullptr);
  }

  // The window as the main window shows it, loaded.
  std::unique_ptr<AboutFrm> Open() {
    auto about = std::make_unique<AboutFrm>();
    about->LoadForm();
    about->show();
    return about;
  }
  static QCheckBox* Box(const AboutFrm& about) { return Control<QCheckBox>(&about, "CheckChk"); }

  FakeAutostart autostart;
  FakeDesktop desktop;
};

TEST_F(AboutFrmTest, BoxTickedOnlyForAnEntryThatRunsSomething) {
  const std::pair<std::optional<QStringList>, bool> entries[] = {
      {std::nullopt, false},
      {QStringList(), false},
      {QStringList{"   "}, false},
      {QStringList{"/opt/rk/reelkeeper", "checkonly"}, true}};
  for (const auto& [command, ticked] : entries) {
    autostart.command = command;
    EXPECT_EQ(Box(*Open())->isChecked(), ticked)
        << (command ? qPrintable(command->join('|')) : "-");
  }
}

TEST_F(AboutFrmTest, ClosingWritesTheEntryWhenTickedAndRemovesItWhenClear) {
  auto about = Open();
  EXPECT_EQ(Box(*about)->text(), "Check Overdue Status When I Log In.");  // on Linux, the log-in
  Box(*about)->setChecked(true);
  EXPECT_EQ(autostart.writes, 0);  // nothing happens before the window closes
  Press(about.get(), "Command2");
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(autostart.command, QStringList({QCoreApplication::applicationFilePath(), "checkonly"}));

  about = Open();
  ASSERT_TRUE(Box(*about)->isChecked());
  Box(*about)->setChecked(false);
  QTest::keyClick(about.get(), Qt::Key_Escape);
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(autostart.command, std::nullopt);
  EXPECT_EQ(autostart.writes, 1);
  EXPECT_TRUE(boxes.Shown().empty());

  // An entry that cannot be written is reported; the window closes all the same.
  autostart.failure = "The log-on entry '/x/RunReelKeeper.desktop' cannot be written.";
  about = Open();
  Box(*about)->setChecked(true);
  about->close();
  EXPECT_FALSE(about->isVisible());
  ASSERT_EQ(boxes.Shown().size(), 1u);
  EXPECT_TRUE(boxes.Shown()[0].text.contains(autostart.failure));
}

class DocumentationTest : public AboutFrmTest, public ::testing::WithParamInterface<bool> {};

// Found beside the program, wherever the program was started from.
TEST_P(DocumentationTest, OpenedFromTheProgramsFolder) {
  desktop.connected = GetParam();
  const QString expected =
      QDir(AppFunctions::ProgramFolder()).filePath(GetParam() ? "OnlineDoc.htm" : "OfflineDoc.htm");
  ASSERT_TRUE(QFileInfo(expected).isFile()) << "the build puts the guide beside the program";
  const QString current = QDir::currentPath();
  QDir::setCurrent(QDir::rootPath());
  Press(Open().get(), "Command3");
  QDir::setCurrent(current);
  EXPECT_EQ(desktop.opened, QStringList{expected});
}

INSTANTIATE_TEST_SUITE_P(Connected, DocumentationTest, ::testing::Bool());

// A desktop without a program to open the guide: the program shows it in a window of its own.
TEST_F(AboutFrmTest, WithoutADesktopOpenerTheGuideIsShownInItsOwnWindow) {
  desktop.opens = false;
  auto about = Open();
  Press(about.get(), "Command3");
  auto* guide = about->findChild<QTextBrowser*>("GuideTxt");
  ASSERT_NE(guide, nullptr);
  EXPECT_TRUE(guide->isVisible());
  EXPECT_EQ(guide->source(), QUrl::fromLocalFile(desktop.opened.value(0)));
  EXPECT_TRUE(guide->toPlainText().contains("ReelKeeper"));
}

TEST_F(AboutFrmTest, LinkAndLogoOpenTheHomePageSetByTheBuild) {
  const QString homePage = QString::fromUtf8(BuildInfo::kHomePage);
  auto about = Open();
  auto* link = Control<QLabel>(about.get(), "Label3");
  EXPECT_TRUE(link->text().contains(homePage));
  QTest::mouseClick(link, Qt::LeftButton);
  QTest::mouseClick(Control<QLabel>(about.get(), "Image1"), Qt::LeftButton);
  link->setFocus();
  QTest::keyClick(link, Qt::Key_Return);
  EXPECT_EQ(desktop.opened, QStringList({homePage, homePage, homePage}));
  EXPECT_TRUE(Control<QLabel>(about.get(), "Label7")->text().contains(BuildInfo::kVersion));
}

// Cleaning up while the main window is open: No leaves the file alone; Yes makes an automatic
// copy first, keeping as many as the window's box says, and cleans up (what that does to the
// file is the core's); the window goes on with the cleaned file without a restart.
TEST_F(AboutFrmTest, CleanUpWhileTheProgramRuns) {
  db.AddDvd("Schindler's List");
  Load();
  const QDir backups(db.Folder() + "/Backups");
  ASSERT_TRUE(backups.mkpath("."));
  for (const char* old : {"20240101-090000", "20240102-090000", "20240103-090000"}) {
    QFile(backups.filePath(QStringLiteral("ReelKeeper-%1.mdb").arg(old)))
        .open(QIODevice::WriteOnly);
  }
  const QByteArray before = testsupport::Checksum(db.Path());
  auto cleanUp = [this](MsgAnswer answer, int kept) {
    boxes.Answer(answer);
    WhenOpen<AboutFrm> closing([kept](AboutFrm& about) {
      Control<QSpinBox>(&about, "BackupsKeptTxt")->setValue(kept);
      Press(&about, "Command4");
      Press(&about, "Command2");
    });
    frm->Commands().About();
  };
  cleanUp(MsgAnswer::No, 7);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0], "Cleaning the database may take some time, are you sure?", "Confirm",
            MsgButtons::YesNo, MsgIcon::Question);
  EXPECT_EQ(testsupport::Checksum(db.Path()), before);
  EXPECT_EQ(backups.entryList(QDir::Files).size(), 3);

  boxes.Clear();
  cleanUp(MsgAnswer::Yes, 2);
  ASSERT_EQ(boxes.Shown().size(), 2u);
  ExpectBox(boxes.Shown()[1], "Cleanup Complete.", "Complete.", MsgButtons::Ok,
            MsgIcon::Information);
  EXPECT_EQ(StatusBarText(), "Cleanup Complete.");
  const QStringList kept = backups.entryList(QDir::Files, QDir::Name);
  ASSERT_EQ(kept.size(), 2);
  EXPECT_EQ(kept[0], "ReelKeeper-20240103-090000.mdb");
  EXPECT_TRUE(kept[1].startsWith("ReelKeeper-20240410-"));
  EXPECT_EQ(testsupport::Sqlite3Shell(backups.filePath(kept[1]), "SELECT DVDTitle FROM Inventory"),
            "Schindler's List");
  // A command goes on to write to the cleaned file.
  Click("Schindler's List");
  boxes.Answer(MsgAnswer::Yes);
  frm->Commands().DeleteDVD();
  EXPECT_EQ(db.Column("SELECT COUNT(*) FROM Inventory"), QStringList{"0"});
}

}  // namespace
