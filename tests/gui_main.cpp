#include <QApplication>
#include <QLocale>
#include <cstdlib>

#include <gtest/gtest.h>

// GUI tests run headless; the platform must be chosen before the
// application object exists (test discovery runs this binary too).
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QLocale::setDefault(QLocale::c());
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
