// The real implementations of the seams, where they can run in a test.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTest>
#include <QTimer>
#include <optional>

#include "platform/DesktopDocumentOpener.h"
#include "platform/QtMessageBox.h"

namespace {

using seams::MsgAnswer;
using seams::MsgButtons;

struct EscapeCase {
  const char* name;
  MsgButtons buttons;
  MsgAnswer defaultAnswer;
  std::optional<MsgAnswer> escape;
  MsgAnswer expected;
};

void PrintTo(const EscapeCase& c, std::ostream* os) { *os << c.name; }

class QtMessageBoxTest : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(QtMessageBoxTest, EscapeGivesTheRequestsEscapeAnswer) {
  QTimer::singleShot(0, [] {
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }));
    QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape);
  });
  QtMessageBox box;
  seams::MessageRequest request;
  request.text = QStringLiteral("Delete?");
  request.title = QStringLiteral("Confirm");
  request.buttons = GetParam().buttons;
  request.defaultAnswer = GetParam().defaultAnswer;
  request.escapeAnswer = GetParam().escape;
  EXPECT_EQ(box.Show(request), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Boxes, QtMessageBoxTest,
                         ::testing::Values(EscapeCase{"YesNoDefaultYes", MsgButtons::YesNo,
                                                      MsgAnswer::Yes, std::nullopt, MsgAnswer::No},
                                           EscapeCase{"YesNoGoingOn", MsgButtons::YesNo,
                                                      MsgAnswer::No, MsgAnswer::Yes,
                                                      MsgAnswer::Yes}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DesktopDocumentOpenerTest, WebAddressesStayAndFileNamesBecomeAbsoluteFiles) {
  using Opener = DesktopDocumentOpener;
  EXPECT_EQ(Opener::DocumentUrl(QStringLiteral("https://example.org/dvd")),
            QUrl(QStringLiteral("https://example.org/dvd")));
  EXPECT_EQ(Opener::DocumentUrl(QStringLiteral("mailto:me@example.org")).scheme(),
            QStringLiteral("mailto"));
  const QUrl local = Opener::DocumentUrl(QStringLiteral("OfflineDoc.htm"));
  EXPECT_TRUE(local.isLocalFile());
  EXPECT_EQ(local.toLocalFile(),
            QDir::current().absoluteFilePath(QStringLiteral("OfflineDoc.htm")));
  EXPECT_TRUE(Opener::DocumentUrl(QStringLiteral("/opt/doc/it's here.htm")).isLocalFile());
}

}  // namespace
