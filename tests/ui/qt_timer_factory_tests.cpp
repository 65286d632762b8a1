// qt_timer_factory_tests.cpp: the program's one-shot timers on Qt's real event loop.
#include "ui/qt_timer_factory.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>

#include "tests/ui/event_loop_helpers.h"

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
using testing::RunEventLoopUntil;

TEST(QtTimerFactoryTest, ExpiresOnceAndCanBeStartedAgainFromItsExpiry) {
  QtTimerFactory factory;
  int expiries = 0;
  std::unique_ptr<OneShotTimer> timer;
  timer = factory.CreateTimer(1ms, [&] {
    if (++expiries == 1) {
      EXPECT_FALSE(timer->IsRunning());
      timer->Start();
    }
  });
  EXPECT_FALSE(timer->IsRunning()) << "created stopped";
  timer->Start();
  EXPECT_TRUE(timer->IsRunning());
  ASSERT_TRUE(RunEventLoopUntil([&] { return expiries == 2; }));
  EXPECT_FALSE(timer->IsRunning());
}

TEST(QtTimerFactoryTest, StartingARunningTimerKeepsItsCountdown) {
  QtTimerFactory factory;
  std::vector<char> order;
  auto first = factory.CreateTimer(30ms, [&] { order.push_back('a'); });
  auto second = factory.CreateTimer(30ms, [&] { order.push_back('b'); });
  first->Start();
  second->Start();
  first->Start();  // a restart would make it due after the second, which Qt then fires first
  ASSERT_TRUE(RunEventLoopUntil([&] { return order.size() == 2; }));
  EXPECT_EQ(order, (std::vector<char>{'a', 'b'}));
}

TEST(QtTimerFactoryTest, AStoppedOrDestroyedTimerNeverFires) {
  QtTimerFactory factory;
  bool stoppedFired = false;
  bool destroyedFired = false;
  bool witnessFired = false;
  auto stopped = factory.CreateTimer(1ms, [&] { stoppedFired = true; });
  auto destroyed = factory.CreateTimer(1ms, [&] { destroyedFired = true; });
  auto witness = factory.CreateTimer(20ms, [&] { witnessFired = true; });
  stopped->Start();
  destroyed->Start();
  witness->Start();
  stopped->Stop();
  stopped->Stop();  // stopping a stopped timer does nothing
  EXPECT_FALSE(stopped->IsRunning());
  destroyed.reset();
  ASSERT_TRUE(RunEventLoopUntil([&] { return witnessFired; }));
  EXPECT_FALSE(stoppedFired);
  EXPECT_FALSE(destroyedFired);
}

}  // namespace
}  // namespace quillbrook
