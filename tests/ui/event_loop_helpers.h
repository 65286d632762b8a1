// event_loop_helpers.h: running Qt's event loop in a test until something has happened.
#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <chrono>
#include <functional>

namespace quillbrook::testing {

// Runs the event loop until the condition holds or a generous time-out passes.
inline bool RunEventLoopUntil(const std::function<bool()>& condition) {
  using namespace std::chrono_literals;
  QDeadlineTimer deadline(10s);
  while (!condition() && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return condition();
}

}  // namespace quillbrook::testing
