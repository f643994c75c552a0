#include "app/RunningCopy.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "TestSupport.h"

namespace {

// A refused start finds the running copy's window and brings it back from the task bar.
TEST(RunningCopyTest, ASecondStartShowsTheRunningCopysWindow) {
  QTemporaryDir runtime;
  testsupport::ScopedEnvironment folder("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  EXPECT_FALSE(RunningCopy::AskToShow());  // nobody runs

  QWidget window;
  window.showMinimized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.isMinimized(); }));
  QFile(RunningCopy::SocketPath()).open(QIODevice::WriteOnly);  // left by a crashed copy
  RunningCopy::Listen(&window);
  EXPECT_TRUE(RunningCopy::AskToShow());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !window.isMinimized() && window.isVisible(); }));
}

}  // namespace
