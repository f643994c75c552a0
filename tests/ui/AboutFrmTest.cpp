// The About window: the log-on entry follows its box, the documents are found beside the
// program, the home page opens, and the clean-up leaves the program working on the cleaned file.
#include "ui/about/AboutFrm.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QTest>

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
  void Remove() override {
    ++removes;
    command.reset();
  }

  std::optional<QStringList> command;
  QString failure;
  int writes = 0;
  int removes = 0;
};

class RecordingOpener final : public seams::DocumentOpener {
 public:
  void Open(const QString& target) override { opened << target; }
  QStringList opened;
};

class FixedNetwork final : public seams::NetworkState {
 public:
  bool IsConnected() override { return connected; }
  bool connected = false;
};

class AboutFrmTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    seams::SetAutostartEntry(&autostart);
    seams::SetDocumentOpener(&opener);
    seams::SetNetworkState(&network);
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
  static QCheckBox* Box(const AboutFrm& about) {
    return Control<QCheckBox>(&about, QStringLiteral("CheckChk"));
  }

  FakeAutostart autostart;
  RecordingOpener opener;
  FixedNetwork network;
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
  Box(*about)->setChecked(true);
  EXPECT_EQ(autostart.writes, 0);  // nothing happens before the window closes
  Press(about.get(), QStringLiteral("Command2"));
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(autostart.command,
            QStringList({QCoreApplication::applicationFilePath(), QStringLiteral("checkonly")}));

  about = Open();
  ASSERT_TRUE(Box(*about)->isChecked());
  Box(*about)->setChecked(false);
  QTest::keyClick(about.get(), Qt::Key_Escape);
  EXPECT_FALSE(about->isVisible());
  EXPECT_EQ(autostart.command, std::nullopt);
  EXPECT_EQ(autostart.writes, 1);
  EXPECT_TRUE(boxes.Shown().empty());

  // An entry that cannot be written is reported; the window closes all the same.
  autostart.failure =
      QStringLiteral("The log-on entry '/x/RunReelKeeper.desktop' cannot be written.");
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
  network.connected = GetParam();
  const QString name =
      GetParam() ? QStringLiteral("OnlineDoc.htm") : QStringLiteral("OfflineDoc.htm");
  const QString expected = QDir(AppFunctions::ProgramFolder()).filePath(name);
  ASSERT_TRUE(QFileInfo(expected).isFile()) << "the build puts the guide beside the program";
  const QString current = QDir::currentPath();
  QDir::setCurrent(QDir::rootPath());
  auto about = Open();
  Press(about.get(), QStringLiteral("Command3"));
  QDir::setCurrent(current);
  EXPECT_EQ(opener.opened, QStringList{expected});
}

INSTANTIATE_TEST_SUITE_P(Connected, DocumentationTest, ::testing::Bool());

TEST_F(AboutFrmTest, LinkAndLogoOpenTheHomePageSetByTheBuild) {
  const QString homePage = QString::fromUtf8(BuildInfo::kHomePage);
  auto about = Open();
  auto* link = Control<QLabel>(about.get(), QStringLiteral("Label3"));
  EXPECT_TRUE(link->text().contains(homePage));
  QTest::mouseClick(link, Qt::LeftButton);
  QTest::mouseClick(Control<QLabel>(about.get(), QStringLiteral("Image1")), Qt::LeftButton);
  link->setFocus();
  QTest::keyClick(link, Qt::Key_Return);
  EXPECT_EQ(opener.opened, QStringList({homePage, homePage, homePage}));
  EXPECT_TRUE(Control<QLabel>(about.get(), QStringLiteral("Label7"))
                  ->text()
                  .contains(QLatin1String(BuildInfo::kVersion)));
}

// Cleaning up while the main window is open: No leaves the file alone; Yes cleans it up (what
// that does to the file is the core's), and the window goes on with the cleaned file without a
// restart.
TEST_F(AboutFrmTest, CleanUpWhileTheProgramRuns) {
  db.AddDvd(QStringLiteral("Schindler's List"));
  Load();
  const QByteArray before = testsupport::Checksum(db.Path());
  auto cleanUp = [this](MsgAnswer answer) {
    boxes.Answer(answer);
    WhenOpen<AboutFrm> closing([](AboutFrm& about) {
      Press(&about, QStringLiteral("Command4"));
      Press(&about, QStringLiteral("Command2"));
    });
    frm->About();
  };

  cleanUp(MsgAnswer::No);
  ASSERT_EQ(boxes.Shown().size(), 1u);
  ExpectBox(boxes.Shown()[0],
            QStringLiteral("Cleaning the database may take some time, are you sure?"),
            QStringLiteral("Confirm"), MsgButtons::YesNo, MsgIcon::Question);
  EXPECT_EQ(testsupport::Checksum(db.Path()), before);

  boxes.Clear();
  cleanUp(MsgAnswer::Yes);
  ASSERT_EQ(boxes.Shown().size(), 2u);
  ExpectBox(boxes.Shown()[1], QStringLiteral("Cleanup Complete."), QStringLiteral("Complete."),
            MsgButtons::Ok, MsgIcon::Information);
  EXPECT_EQ(StatusBarText(), QStringLiteral("Cleanup Complete."));
  // A command goes on to write to the cleaned file.
  Click(QStringLiteral("Schindler's List"));
  boxes.Answer(MsgAnswer::Yes);
  frm->DeleteDVD();
  EXPECT_EQ(db.Column(QStringLiteral("SELECT COUNT(*) FROM Inventory")), QStringList{"0"});
}

}  // namespace
