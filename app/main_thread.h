// main_thread.h: hands work from a worker thread to the main thread, where every reaction runs.
#pragma once

#include <functional>

namespace quillbrook {

class MainThread {
 public:
  virtual ~MainThread() = default;
  // Queues the task; it runs on the main thread after the events already queued. Callable from any
  // thread.
  virtual void Post(std::function<void()> task) = 0;
};

}  // namespace quillbrook
