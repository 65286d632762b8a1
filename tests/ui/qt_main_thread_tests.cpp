// qt_main_thread_tests.cpp: tasks handed from worker threads run on the Qt main thread, in order.
#include "ui/qt_main_thread.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <atomic>
#include <future>
#include <thread>
#include <vector>

#include "tests/ui/event_loop_helpers.h"

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
using testing::RunEventLoopUntil;

TEST(QtMainThreadTest, TasksFromWorkersRunOnTheMainThreadInTheOrderPosted) {
  QtMainThread mainThread;
  const std::thread::id main = std::this_thread::get_id();
  std::vector<int> ran;  // touched only on the main thread
  bool allOnMain = true;
  constexpr int kTasks = 200;

  std::thread worker([&] {
    for (int i = 0; i < kTasks; ++i) {
      mainThread.Post([&, i] {
        allOnMain = allOnMain && std::this_thread::get_id() == main;
        ran.push_back(i);
      });
    }
  });
  ASSERT_TRUE(RunEventLoopUntil([&] { return ran.size() == kTasks; }));
  worker.join();

  EXPECT_TRUE(allOnMain);
  for (int i = 0; i < kTasks; ++i) {
    ASSERT_EQ(ran[static_cast<std::size_t>(i)], i);
  }
}

TEST(QtMainThreadTest, AWorkerWaitingForItsTaskIsReleasedByTheMainThread) {
  QtMainThread mainThread;
  std::atomic<bool> workerDone{false};
  std::thread worker([&] {
    std::promise<void> done;
    mainThread.Post([&] { done.set_value(); });
    done.get_future().wait();
    workerDone = true;
  });
  ASSERT_TRUE(RunEventLoopUntil([&] { return workerDone.load(); }));
  worker.join();
}

TEST(QtMainThreadTest, TasksNotYetRunAreDroppedWithIt) {
  bool ran = false;
  {
    QtMainThread mainThread;
    mainThread.Post([&] { ran = true; });
  }
  QCoreApplication::processEvents();
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace quillbrook
