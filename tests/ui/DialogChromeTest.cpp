#include "ui/common/DialogChrome.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

namespace {

class DialogChromeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dialog.resize(400, 300);
    chrome = new DialogChrome(&dialog);
    chrome->SetTitle("Add DVD");
    chrome->Fit();
  }
  QDialog dialog;
  DialogChrome* chrome = nullptr;
};

// Centred over its owner, the X at the right end of the title strip; dragging the strip moves the
// window by the pointer's way and never resizes it.
TEST_F(DialogChromeTest, OpensCentredOverItsOwnerAndTheStripDragsIt) {
  QWidget owner;
  owner.setGeometry(200, 150, 800, 600);
  owner.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
  chrome->CenterOver(&owner);
  EXPECT_NEAR(dialog.geometry().center().x(), owner.frameGeometry().center().x(), 1);
  EXPECT_NEAR(dialog.geometry().center().y(), owner.frameGeometry().center().y(), 1);
  EXPECT_EQ(chrome->XLabel()->geometry().right(), chrome->TitleLabel()->geometry().right());

  dialog.move(100, 100);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  const QPoint start = dialog.pos();
  QLabel* title = chrome->TitleLabel();
  QTest::mousePress(title, Qt::LeftButton, {}, QPoint(20, 5));
  QTest::mouseMove(title, QPoint(70, 35));
  QTest::mouseRelease(title, Qt::LeftButton, {}, QPoint(70, 35));
  EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.pos() == start + QPoint(50, 30); }))
      << dialog.pos().x() << "," << dialog.pos().y();
  EXPECT_EQ(dialog.size(), QSize(400, 300));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
}

TEST_F(DialogChromeTest, PressedLookFollowsThePointerAndOnlyAReleaseOverXCloses) {
  QSignalSpy clicked(chrome, &DialogChrome::XClicked);
  QLabel* x = chrome->XLabel();
  const QPoint inside = x->rect().center();
  const QPoint outside(x->width() + 20, inside.y());
  QTest::mousePress(x, Qt::LeftButton, {}, inside);
  EXPECT_TRUE(x->styleSheet().contains("#ffff00"));  // yellow, opaque
  QMouseEvent away(QEvent::MouseMove, outside, x->mapToGlobal(outside), Qt::NoButton,
                   Qt::LeftButton, {});
  QApplication::sendEvent(x, &away);
  EXPECT_TRUE(x->styleSheet().contains("transparent"));
  QTest::mouseRelease(x, Qt::LeftButton, {}, outside);
  EXPECT_EQ(clicked.count(), 0);
  EXPECT_TRUE(x->styleSheet().contains("#ffffff"));  // back to white

  QTest::mouseClick(x, Qt::LeftButton, {}, inside);
  EXPECT_EQ(clicked.count(), 1);
}

}  // namespace
