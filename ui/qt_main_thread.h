// qt_main_thread.h: hands work from a worker thread to the Qt main thread.
#pragma once

#include <deque>
#include <memory>
#include <mutex>

#include "app/main_thread.h"

class QObject;

namespace quillbrook {

// Must be created on the main thread: its tasks run on the thread it was created on, in the order
// they were posted, each after the events queued before it. Tasks still queued when it is
// destroyed are dropped; it must not be destroyed while a worker may still post.
class QtMainThread : public MainThread {
 public:
  QtMainThread();
  ~QtMainThread() override;
  QtMainThread(const QtMainThread&) = delete;
  QtMainThread& operator=(const QtMainThread&) = delete;

  void Post(std::function<void()> task) override;

 private:
  class Receiver;
  void RunNext();

  // The tasks wait here, under a lock of our own: the hand-over through Qt's event queue is made
  // with locks that the thread sanitizer cannot see, so no task's data may travel that way.
  std::mutex mutex_;
  std::deque<std::function<void()>> tasks_;
  std::unique_ptr<Receiver> receiver_;
};

}  // namespace quillbrook
