// The main window's scanner poll over the real library, fed through its FIFO: an unreadable
// scan is reported, a known code takes its DVD back, an unknown one adds a DVD, and a scan while
// another window is open starts nothing.
#include <QDialog>
#include <QTest>

#include "DialogDriver.h"
#include "ReelKeeperFrmFixture.h"
#include "scanner/ScannerFunctions.h"
#include "ui/dialogs/AddEditFrm.h"
#include "ui/dialogs/LoanFrm.h"

namespace {

class ScannerTickTest : public ReelKeeperFrmTest {
 protected:
  testsupport::ScannerFeed feed;
};

TEST_F(ScannerTickTest, PunctuationOnlyGivesUhOhAndAnUnknownCodeAddsADVD) {
  Load();
  feed.Scan("-- / --");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.Shown().empty(); }));
  testsupport::ExpectBox(
      boxes.Shown()[0],
      "There was a problem reading the scanned bar code. It is possible the scanner you are using "
      "does not support the bar code type you are trying to scan. Try to restart your computer to "
      "rectify the situation.",
      "Uh Oh", seams::MsgButtons::Ok, seams::MsgIcon::Information);

  QString locked;
  WhenOpen<AddEditFrm> adding([&](AddEditFrm& dialog) {
    locked = dialog.BarCode;
    Press(&dialog, "CancelButton");
  });
  feed.Scan("96385074");
  EXPECT_TRUE(QTest::qWaitFor([&] { return locked == "96385074"; }));
}

// A lent DVD's code asks whether to take it back; with another window open the scan is taken
// from the library and dropped, so nothing asks, and the status bar says why.
TEST_F(ScannerTickTest, AScanWhileAnotherWindowIsOpenIsDropped) {
  db.AddDvd("Vertigo", {}, 1, "Ann", "2024-04-01", "2024-04-20", "4006381333931");
  Load();
  QDialog other(frm.get());
  bool taken = false;
  QTimer::singleShot(0, [&] {
    feed.Scan("4006381333931");
    taken = QTest::qWaitFor([] { return ScannerFunctions::ScannedCode() == "4006381333931"; });
    EXPECT_EQ(StatusBarText(), "Scan ignored: close the open window, then scan again.");
    other.reject();
  });
  other.exec();
  EXPECT_TRUE(taken);
  EXPECT_TRUE(boxes.Shown().empty());

  boxes.Answer(seams::MsgAnswer::No);
  feed.Scan("4006381333931");
  ASSERT_TRUE(QTest::qWaitFor([&] { return !boxes.Shown().empty(); }));
  EXPECT_EQ(boxes.Shown().back().text,
            "Are you sure you want to return this DVD?\n\n'Vertigo': Ann has had it since "
            "4/1/2024.");
}

// A code scanned after the Edit dialog's last poll and before the main window's next one is the
// user's next command, not a leftover of the dialog.
TEST_F(ScannerTickTest, AScanRightAfterTheEditDialogsOkIsKept) {
  db.AddDvd("Heat");
  db.AddDvd("Vertigo", {}, 0, {}, "2024-04-01", "2024-04-01", "4006381333931");
  Load();
  Click("Heat");
  {
    WhenOpen<AddEditFrm> editing([&](AddEditFrm& dialog) {
      Control<QTimer>(&dialog, "CheckCheck")->stop();
      feed.Scan("4006381333931");
      QTest::qWait(300);  // the feed's reader hands the code over meanwhile
      Press(&dialog, "OkButton");
    });
    frm->Commands().EditDVD();
  }
  QString lending;
  WhenOpen<LoanFrm> loan([&](LoanFrm& dialog) {
    lending = dialog.DVDTitle;
    Press(&dialog, "CancelButton");
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return lending == "Vertigo"; }));
}

}  // namespace
