// The main window's scanner poll over the real library, fed through its FIFO: an unreadable
// scan is reported, and a scan while another window is open starts nothing.
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "ReelKeeperFrmFixture.h"
#include "scanner/ScannerFunctions.h"

namespace {

class ScannerTickTest : public ReelKeeperFrmTest {
 protected:
  void SetUp() override {
    ReelKeeperFrmTest::SetUp();
    savedRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime_.path()));
    ScannerFunctions::SetLibraryPath({});
    ScannerFunctions::HookScanner();
  }
  void TearDown() override {
    ScannerFunctions::UnhookScanner();
    qputenv("XDG_RUNTIME_DIR", savedRuntime_);
  }

  void Scan(const QByteArray& code) {
    QFile feed(QDir(runtime_.path()).filePath(QStringLiteral("ReelKeeper/scanner")));
    ASSERT_TRUE(feed.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    feed.write(code + '\n');
  }

 private:
  QTemporaryDir runtime_;
  QByteArray savedRuntime_;
};

TEST_F(ScannerTickTest, PunctuationOnlyGivesUhOh) {
  Load();
  Scan("-- / --");
  QTRY_COMPARE(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("Uh Oh"));
  EXPECT_EQ(boxes.Shown()[0].text,
            QStringLiteral("There was a problem reading the scanned bar code. It is possible the "
                           "scanner you are using does not support the bar code type you are "
                           "trying to scan. Try to restart your computer to rectify the "
                           "situation."));
  EXPECT_EQ(boxes.Shown()[0].icon, seams::MsgIcon::Information);
}

// A lent DVD's code asks whether to take it back; with another window open the scan is taken
// from the library and dropped, so nothing asks.
TEST_F(ScannerTickTest, AScanWhileAnotherWindowIsOpenIsDropped) {
  db.AddDvd(QStringLiteral("Vertigo"), {}, 1, QStringLiteral("Ann"), QStringLiteral("2024-04-01"),
            QStringLiteral("2024-04-20"), QStringLiteral("4006381333931"));
  Load();
  QDialog other(frm.get());
  bool taken = false;
  QTimer::singleShot(0, [&] {
    Scan("4006381333931");
    taken = QTest::qWaitFor([] { return ScannerFunctions::ScannedCode() == "4006381333931"; });
    other.reject();
  });
  other.exec();
  EXPECT_TRUE(taken);
  EXPECT_TRUE(boxes.Shown().empty());

  boxes.Answer(seams::MsgAnswer::No);
  Scan("4006381333931");
  QTRY_COMPARE(boxes.Shown().size(), 1u);
  EXPECT_EQ(boxes.Shown()[0].text, QStringLiteral("Are you sure you want to return this DVD?"));
}

}  // namespace
