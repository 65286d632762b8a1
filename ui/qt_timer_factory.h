// qt_timer_factory.h: the program's one-shot timers on Qt's event loop.
#pragma once

#include "app/one_shot_timer.h"

namespace quillbrook {

// Timers that expire on the thread that created them, which for the program is the main thread.
class QtTimerFactory : public TimerFactory {
 public:
  std::unique_ptr<OneShotTimer> CreateTimer(std::chrono::milliseconds interval,
                                            std::function<void()> onExpiry) override;
};

}  // namespace quillbrook
