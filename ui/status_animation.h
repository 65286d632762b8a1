// status_animation.h: plays the picture of a flash state in the status picture and sets its hint.
#pragma once

#include <QMovie>

#include <map>
#include <memory>

#include "app/one_shot_timer.h"
#include "flash/flash_state.h"

namespace quillbrook {

class MainWindow;

class StatusAnimation : public StatusIndicatorView {
 public:
  static constexpr int kSize = 50;

  // The frame steps run on `timers`, which must outlive the animation.
  StatusAnimation(MainWindow& window, TimerFactory& timers);

  // Restarts the state's picture at its first frame, also when it is the one already shown.
  void ShowStatusPicture(FlashState state) override;
  void SetStatusHint(const std::string& text) override;

 private:
  void ShowCurrentFrame();
  void ScheduleNextFrame();
  void ShowNextFrame();

  MainWindow& window_;
  TimerFactory& timers_;
  QMovie movie_;
  // One timer per frame delay in use; a step is pending on at most one of them.
  std::map<int, std::unique_ptr<OneShotTimer>> frameTimers_;
  OneShotTimer* pendingStep_ = nullptr;
};

}  // namespace quillbrook
