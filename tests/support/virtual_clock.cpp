// virtual_clock.cpp: timers on a clock that only moves when a test advances it.
#include "tests/support/virtual_clock.h"

#include <optional>

namespace quillbrook::testing {

class VirtualClock::Timer : public OneShotTimer {
 public:
  Timer(VirtualClock& clock, std::chrono::milliseconds interval, std::function<void()> onExpiry)
      : clock_(clock), alive_(clock.alive_), interval_(interval), onExpiry_(std::move(onExpiry)) {}
  ~Timer() override { Stop(); }

  void Start() override {
    if (!key_) {
      clock_.Schedule(this, clock_.now_ + interval_);
    }
  }
  void Stop() override {
    if (key_ && *alive_) {
      clock_.Cancel(*key_);
    }
    key_.reset();
  }
  bool IsRunning() const override { return key_.has_value(); }

  void Fire() {
    key_.reset();
    if (onExpiry_) {
      onExpiry_();
    }
  }

  std::optional<Key> key_;

 private:
  VirtualClock& clock_;
  std::shared_ptr<bool> alive_;
  std::chrono::milliseconds interval_;
  std::function<void()> onExpiry_;
};

VirtualClock::VirtualClock() : alive_(std::make_shared<bool>(true)) {}

VirtualClock::~VirtualClock() {
  *alive_ = false;
}

std::unique_ptr<OneShotTimer> VirtualClock::CreateTimer(std::chrono::milliseconds interval,
                                                        std::function<void()> onExpiry) {
  return std::make_unique<Timer>(*this, interval, std::move(onExpiry));
}

void VirtualClock::Schedule(Timer* timer, std::chrono::milliseconds due) {
  const Key key{due, nextSequence_++};
  timer->key_ = key;
  due_.emplace(key, timer);
}

void VirtualClock::Cancel(const Key& key) {
  due_.erase(key);
}

void VirtualClock::Advance(std::chrono::milliseconds span) {
  const auto end = now_ + span;
  while (!due_.empty() && due_.begin()->first.first <= end) {
    auto first = due_.begin();
    now_ = first->first.first;
    Timer* timer = first->second;
    due_.erase(first);
    timer->Fire();
  }
  now_ = end;
}

}  // namespace quillbrook::testing
