// qt_timer_factory.cpp: the program's one-shot timers on Qt's event loop.
#include "ui/qt_timer_factory.h"

#include <QTimer>

namespace quillbrook {

namespace {

class QtOneShotTimer : public OneShotTimer {
 public:
  QtOneShotTimer(std::chrono::milliseconds interval, std::function<void()> onExpiry)
      : onExpiry_(std::move(onExpiry)) {
    timer_.setSingleShot(true);
    // The delays are part of the behaviour (2000 ms of quiet, 100 ms to collapse): a coarse
    // timer could stretch them by 5 %.
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(interval);
    // A single-shot QTimer is already inactive when it emits, so the expiry may start it again.
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (onExpiry_) {
        onExpiry_();
      }
    });
  }

  void Start() override {
    // QTimer::start restarts a running countdown; ours must keep it.
    if (!timer_.isActive()) {
      timer_.start();
    }
  }
  void Stop() override { timer_.stop(); }
  bool IsRunning() const override { return timer_.isActive(); }

 private:
  QTimer timer_;
  std::function<void()> onExpiry_;
};

}  // namespace

std::unique_ptr<OneShotTimer> QtTimerFactory::CreateTimer(std::chrono::milliseconds interval,
                                                          std::function<void()> onExpiry) {
  return std::make_unique<QtOneShotTimer>(interval, std::move(onExpiry));
}

}  // namespace quillbrook
