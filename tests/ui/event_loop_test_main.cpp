// event_loop_test_main.cpp: runs the tests of Qt's timers and main-thread hand-over inside a Qt
// event loop, without a display.
#include <gtest/gtest.h>
#include <QCoreApplication>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
