// widget_test_main.cpp: runs the widget tests inside a Qt application on the offscreen platform.
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  // No display is needed, and none of the developer's desktop settings can reach the tests.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  ::testing::InitGoogleTest(&argc, argv);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
