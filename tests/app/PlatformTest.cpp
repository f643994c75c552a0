// The real implementations of the seams, where they can run in a test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>

#include "platform/DesktopDocumentOpener.h"
#include "platform/QtMessageBox.h"

namespace {

// The request's escape answer, not the button set, decides: the error report's "continue?" box
// goes on when Escape is pressed.
TEST(QtMessageBoxTest, EscapeGivesTheRequestsEscapeAnswer) {
  QTimer::singleShot(0, [] {
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
  });
  seams::MessageRequest request;
  request.text = "Go on?";
  request.buttons = seams::MsgButtons::YesNo;
  request.defaultAnswer = seams::MsgAnswer::No;
  request.escapeAnswer = seams::MsgAnswer::Yes;
  EXPECT_EQ(QtMessageBox().Show(request), seams::MsgAnswer::Yes);
}

TEST(DesktopDocumentOpenerTest, WebAddressesStayAndFileNamesBecomeAbsoluteFiles) {
  using Opener = DesktopDocumentOpener;
  EXPECT_EQ(Opener::DocumentUrl("https://example.org/dvd"), QUrl("https://example.org/dvd"));
  EXPECT_EQ(Opener::DocumentUrl("mailto:me@example.org").scheme(), "mailto");
  const QUrl local = Opener::DocumentUrl("OfflineDoc.htm");
  EXPECT_TRUE(local.isLocalFile());
  EXPECT_EQ(local.toLocalFile(), QDir::current().absoluteFilePath("OfflineDoc.htm"));
  EXPECT_TRUE(Opener::DocumentUrl("/opt/doc/it's here.htm").isLocalFile());
}

}  // namespace
