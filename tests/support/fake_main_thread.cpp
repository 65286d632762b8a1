// fake_main_thread.cpp: a main thread that the test drives: posted tasks wait until the test runs
// them on its own thread.
#include "tests/support/fake_main_thread.h"

#include <utility>

namespace quillbrook::testing {

void FakeMainThread::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  posted_.notify_all();
}

std::size_t FakeMainThread::RunPending() {
  std::size_t ran = 0;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard lock(mutex_);
      if (tasks_.empty()) {
        return ran;
      }
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
    ++ran;
  }
}

bool FakeMainThread::RunUntil(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    std::function<void()> task = Take(deadline);
    if (!task) {
      return done();
    }
    task();
  }
  return true;
}

bool FakeMainThread::WaitForPending(std::size_t count, std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return posted_.wait_for(lock, timeout, [&] { return tasks_.size() >= count; });
}

std::size_t FakeMainThread::PendingCount() const {
  std::lock_guard lock(mutex_);
  return tasks_.size();
}

std::function<void()> FakeMainThread::Take(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock lock(mutex_);
  if (!posted_.wait_until(lock, deadline, [&] { return !tasks_.empty(); })) {
    return {};
  }
  std::function<void()> task = std::move(tasks_.front());
  tasks_.pop_front();
  return task;
}

}  // namespace quillbrook::testing
