// fake_main_thread.h: a main thread that the test drives: posted tasks wait until the test runs
// them on its own thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "app/main_thread.h"

namespace quillbrook::testing {

// Tasks run in the order they were posted, always on the thread that calls RunPending or
// RunUntil, never inside Post. The waits are on a condition variable, bounded by a time-out.
class FakeMainThread : public MainThread {
 public:
  void Post(std::function<void()> task) override;

  // Runs queued tasks, also those posted meanwhile, until none is left. Returns how many ran.
  std::size_t RunPending();

  // Runs tasks as they are posted until done() holds (checked first and after each task) or
  // timeout has passed. Returns done().
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

  // Waits, running nothing, until at least count tasks are queued or timeout has passed. Returns
  // whether they are.
  bool WaitForPending(std::size_t count, std::chrono::milliseconds timeout);

  std::size_t PendingCount() const;

 private:
  // The next task, or an empty function when none came before deadline.
  std::function<void()> Take(std::chrono::steady_clock::time_point deadline);

  mutable std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> tasks_;
};

}  // namespace quillbrook::testing
