// The window tests' own main(): offscreen unless a display is asked for, and one fixed locale so
// that dates and numbers read the same on every machine.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLocale>

#include "ui/common/ScreenReaderControls.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  QApplication app(argc, argv);
  ScreenReaderControls::Install();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
