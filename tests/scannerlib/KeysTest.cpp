// Telling a keyboard-wedge scanner from a person: the burst rule on synthetic key timings, and
// the key filter that holds keys back and lets a person's keys go on in their order.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>
#include <QWindow>

#include "BurstRecognizer.h"
#include "CodeHandover.h"
#include "KeyFilter.h"

namespace {

using scannerlib::BurstRecognizer;
using Key = BurstRecognizer::Key;
using ThisKey = BurstRecognizer::ThisKey;

struct Burst {
  const char* name;
  const char* text;
  int gapMs;
  Key end;               // Enter or Tab, another key (Ctrl), or a character half a second later
  const char* code;      // empty: no scan
  int pauseBefore = -1;  // index of a character typed after a pause of 70 ms
};

void PrintTo(const Burst& b, std::ostream* os) { *os << b.name; }

class BurstTest : public ::testing::TestWithParam<Burst> {};

TEST_P(BurstTest, IsAScanOnlyWhenFastLongAndEnded) {
  const Burst& burst = GetParam();
  BurstRecognizer recognizer;
  std::int64_t time = 1000;
  const std::string text = burst.text;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i > 0) time += int(i) == burst.pauseBefore ? 70 : burst.gapMs;
    EXPECT_EQ(recognizer.Press(Key::Character, text.substr(i, 1), time).thisKey, ThisKey::Hold);
  }
  time += burst.gapMs;
  const BurstRecognizer::Decision last = burst.end == Key::Character
                                             ? recognizer.Press(Key::Character, "x", time + 500)
                                             : recognizer.Press(burst.end, {}, time);
  if (*burst.code) {
    EXPECT_EQ(last.thisKey, ThisKey::Scan);
    EXPECT_FALSE(last.replayHeld);
    EXPECT_EQ(recognizer.Code(), burst.code);
  } else {
    // Typing: the held keys go on before the key that ended them.
    EXPECT_TRUE(last.replayHeld);
    EXPECT_NE(last.thisKey, ThisKey::Scan);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Timings, BurstTest,
    ::testing::Values(Burst{"ScannerEndedByEnter", "4006381333931", 5, Key::Terminator,
                            "4006381333931"},
                      Burst{"ScannerEndedByTab", "AB-12/x", 10, Key::Terminator, "AB-12/x"},
                      Burst{"GapsOfExactly50Ms", "123456", 50, Key::Terminator, "123456"},
                      Burst{"GapsOf51Ms", "123456", 51, Key::Terminator, ""},
                      Burst{"PersonTyping", "hello world", 120, Key::Terminator, ""},
                      Burst{"BurstOfFive", "12345", 5, Key::Terminator, ""},
                      Burst{"BurstWithoutEnter", "12345678", 5, Key::Character, ""},
                      Burst{"EndedByAnotherKey", "12345678", 5, Key::Other, ""},
                      // The pause starts a new run, and only its last four are fast.
                      Burst{"PauseInside", "12345678", 5, Key::Terminator, "", 4},
                      Burst{"PauseBeforeTheLastSix", "12345678", 5, Key::Terminator, "345678", 2}),
    [](const auto& info) { return std::string(info.param.name); });

// Records the keys a window receives: "+x" a press, "-x" a release.
class RecordingWindow final : public QWindow {
 public:
  QStringList keys;

 protected:
  void keyPressEvent(QKeyEvent* event) override { keys << u'+' + Name(event); }
  void keyReleaseEvent(QKeyEvent* event) override { keys << u'-' + Name(event); }

 private:
  static QString Name(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return ? QStringLiteral("Enter") : event->text();
  }
};

class KeyFilterTest : public ::testing::Test {
 protected:
  void SetUp() override { qApp->installEventFilter(&filter); }
  void TearDown() override { qApp->removeEventFilter(&filter); }

  // A key as the window system delivers it: to the window, with its own time.
  void Send(QEvent::Type type, QChar c, std::uint64_t time) {
    const int key = c == u'\r' ? int(Qt::Key_Return) : int(c.toUpper().unicode());
    QKeyEvent event(type, key, Qt::NoModifier, c == u'\r' ? QString() : QString(c));
    event.setTimestamp(time);
    QCoreApplication::sendEvent(&window, &event);
  }
  // Each character pressed and released, one every gapMs from start.
  void Type(const QString& text, std::uint64_t start, int gapMs) {
    for (qsizetype i = 0; i < text.size(); ++i) {
      const std::uint64_t at = start + std::uint64_t(i) * std::uint64_t(gapMs);
      Send(QEvent::KeyPress, text[i], at);
      Send(QEvent::KeyRelease, text[i], at + 2);
    }
  }

  std::string Received() const { return window.keys.join(u'|').toStdString(); }

  scannerlib::CodeHandover handover;
  scannerlib::KeyFilter filter{handover};
  RecordingWindow window;
};

TEST_F(KeyFilterTest, AScanReachesNoControlAndTypingGoesOnInItsOrder) {
  // A person: every key arrives, presses and releases in their order (a held Space that lost
  // its release would leave a button pressed).
  Type(QStringLiteral(" a\r"), 0, 200);
  EXPECT_EQ(Received(), "+ |- |+a|-a|+Enter|-Enter");
  EXPECT_FALSE(handover.Waiting());

  // A scanner: nothing arrives, not even the releases that come after the code is taken.
  window.keys.clear();
  Type(QStringLiteral("12345678\r"), 1000, 4);
  EXPECT_EQ(Received(), "");
  EXPECT_EQ(handover.First().barCode, "12345678");
  EXPECT_EQ(handover.First().scannerId, "KEYBOARD");

  // A fast burst that never ends with Enter is typing after all: it arrives whole, once the
  // gap has passed.
  Type(QStringLiteral("abcdefg"), 2000, 4);
  EXPECT_EQ(Received(), "");
  // (QTRY_COMPARE would end the test quietly as passed: gtest does not hear of it.)
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.keys.size() >= 14; }));
  EXPECT_EQ(Received(), "+a|-a|+b|-b|+c|-c|+d|-d|+e|-e|+f|-f|+g|-g");
  handover.Take();
  EXPECT_FALSE(handover.Waiting());
}

}  // namespace
