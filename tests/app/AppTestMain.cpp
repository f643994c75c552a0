// The in-process program tests' own main(): the program's own application object (its error
// boundary is under test), offscreen unless a display is asked for, one fixed locale.
#include <gtest/gtest.h>

#include <QLocale>

#include "app/ReelKeeperApplication.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  ReelKeeperApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
