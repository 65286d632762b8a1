// virtual_clock.h: timers on a clock that only moves when a test advances it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <utility>

#include "app/one_shot_timer.h"

namespace quillbrook::testing {

// Timers expire in order of their due time, ties in order of their start; an expiry that starts
// another timer within the advanced span sees that timer fire in the same Advance.
class VirtualClock : public TimerFactory {
 public:
  VirtualClock();
  ~VirtualClock() override;

  std::unique_ptr<OneShotTimer> CreateTimer(std::chrono::milliseconds interval,
                                            std::function<void()> onExpiry) override;

  void Advance(std::chrono::milliseconds span);
  std::chrono::milliseconds Now() const { return now_; }

 private:
  class Timer;
  friend class Timer;
  using Key = std::pair<std::chrono::milliseconds, std::uint64_t>;

  void Schedule(Timer* timer, std::chrono::milliseconds due);
  void Cancel(const Key& key);

  std::chrono::milliseconds now_{0};
  std::uint64_t nextSequence_ = 0;
  std::map<Key, Timer*> due_;
  std::shared_ptr<bool> alive_;
};

}  // namespace quillbrook::testing
