// status_animation.h: plays the picture of a flash state in the status picture and sets its hint.
#pragma once

#include <QImage>

#include <array>
#include <map>
#include <memory>
#include <vector>

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
  struct Frame {
    QImage image;  // composed as the file's disposal rules say, on white, kSize x kSize
    int delayMs;
  };

  const std::vector<Frame>& FramesOf(FlashState state);
  void ShowFrame(std::size_t index);
  void ShowNextFrame();

  MainWindow& window_;
  TimerFactory& timers_;
  // Each picture is decoded once, at its first show; they are a few kilobytes each.
  std::array<std::vector<Frame>, 4> frames_;
  const std::vector<Frame>* playing_ = nullptr;
  std::size_t current_ = 0;
  // One timer per frame delay in use; a step is pending on at most one of them.
  std::map<int, std::unique_ptr<OneShotTimer>> frameTimers_;
  OneShotTimer* pendingStep_ = nullptr;
};

}  // namespace quillbrook
