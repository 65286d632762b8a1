// virtual_clock_tests.cpp: the virtual clock keeps the one-shot timer contract the timing tests
// rely on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/virtual_clock.h"

namespace quillbrook {
namespace {

using std::chrono::milliseconds;
using testing::VirtualClock;

TEST(VirtualClock, KeepsTheOneShotContract) {
  VirtualClock clock;
  std::vector<std::string> fired;
  auto slow = clock.CreateTimer(
      milliseconds(2000), [&] { fired.push_back("slow@" + std::to_string(clock.Now().count())); });
  auto fast = clock.CreateTimer(
      milliseconds(100), [&] { fired.push_back("fast@" + std::to_string(clock.Now().count())); });
  EXPECT_FALSE(slow->IsRunning());

  slow->Start();
  clock.Advance(milliseconds(1500));
  slow->Start();  // already running: the countdown goes on from where it was
  fast->Start();
  clock.Advance(milliseconds(99));
  EXPECT_TRUE(fired.empty());
  clock.Advance(milliseconds(1));
  EXPECT_EQ(fired, (std::vector<std::string>{"fast@1600"}));
  EXPECT_FALSE(fast->IsRunning());

  clock.Advance(milliseconds(400));
  EXPECT_EQ(fired, (std::vector<std::string>{"fast@1600", "slow@2000"}));

  slow->Start();
  slow->Stop();
  clock.Advance(milliseconds(5000));
  EXPECT_EQ(fired.size(), 2u) << "a stopped timer never fires";
}

TEST(VirtualClock, AnExpiryThatStartsATimerSeesItFireWithinTheSameAdvance) {
  VirtualClock clock;
  std::vector<long> fired;
  std::unique_ptr<OneShotTimer> second;
  auto first = clock.CreateTimer(milliseconds(100), [&] {
    fired.push_back(clock.Now().count());
    second->Start();
  });
  second = clock.CreateTimer(milliseconds(2000), [&] { fired.push_back(clock.Now().count()); });
  first->Start();
  clock.Advance(milliseconds(2100));
  EXPECT_EQ(fired, (std::vector<long>{100, 2100}));
}

TEST(VirtualClock, ADestroyedTimerNeverFires) {
  VirtualClock clock;
  bool fired = false;
  auto timer = clock.CreateTimer(milliseconds(10), [&] { fired = true; });
  timer->Start();
  timer.reset();
  clock.Advance(milliseconds(100));
  EXPECT_FALSE(fired);
}

}  // namespace
}  // namespace quillbrook
