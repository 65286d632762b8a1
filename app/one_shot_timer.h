// one_shot_timer.h: the one-shot timers every delay of the program runs on, real or virtual.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace quillbrook {

// Expires once, then stops. Created stopped. Starting a timer that already runs does not restart
// its countdown; a timer that must restart is stopped first. Stop on a stopped timer does nothing.
// The expiry runs on the main thread, and a stopped or destroyed timer never fires.
class OneShotTimer {
 public:
  virtual ~OneShotTimer() = default;
  virtual void Start() = 0;
  virtual void Stop() = 0;
  virtual bool IsRunning() const = 0;
};

class TimerFactory {
 public:
  virtual ~TimerFactory() = default;
  virtual std::unique_ptr<OneShotTimer> CreateTimer(std::chrono::milliseconds interval,
                                                    std::function<void()> onExpiry) = 0;
};

}  // namespace quillbrook
