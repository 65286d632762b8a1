// flash_sequencer.h: decides when a flash starts and when it counts as finished, and shows its
// state.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "app/one_shot_timer.h"
#include "flash/avrdude_launcher.h"
#include "flash/flash_state.h"

namespace quillbrook {

// Everything a request reads, each at the moment of the request: nothing is cached, so a hand edit
// of the template or a switch of the modes is seen by the next flash.
struct FlashSources {
  std::function<std::string()> paramTemplate;  // the current board type's avrdude_param
  std::function<std::string()> port;           // the selected port, "" when none
  std::function<std::string()> hexPath;        // the HEX path field's text
  std::function<int()> autoMode;               // 1 flashes on a rewrite of the HEX file
  std::function<int()> logMode;  // 1 log shown, 0 hidden, anything else launches nothing
};

// The transitions are driven by events and timers only, never guarded by what is shown: a rewrite
// during a flash shows "Changes detected!", and the end of that flash then shows "Done" all the
// same.
class FlashSequencer {
 public:
  static constexpr std::chrono::milliseconds kAutoFlashDelay{2000};
  static constexpr std::chrono::milliseconds kLaunchDelay{100};
  static constexpr std::chrono::milliseconds kQuietTime{2000};
  static constexpr std::chrono::milliseconds kDoneHold{2000};

  FlashSequencer(TimerFactory& timers, AvrdudeLauncher& launcher, StatusIndicatorView& view,
                 FlashSources sources);

  void ShowFlashState(FlashState state);
  // A click on the status picture, or the auto-flash delay's expiry in auto mode.
  void RequestFlash();
  void OnHexChanged();
  // Raised inside a log-mode launch, on the main thread, once avrdude has ended.
  void OnAvrdudeEnded();
  // Must be called on the main thread: the reader thread hands each chunk's arrival over first.
  void OnErrorOutputArrived();

  const std::string& flashArgs() const { return flashArgs_; }

 private:
  AvrdudeLauncher& launcher_;
  StatusIndicatorView& view_;
  FlashSources sources_;
  std::string flashArgs_;

  std::unique_ptr<OneShotTimer> autoFlashDelay_;
  std::unique_ptr<OneShotTimer> logLaunchDelay_;
  std::unique_ptr<OneShotTimer> hiddenLaunchDelay_;
  std::unique_ptr<OneShotTimer> quietTimer_;
  std::unique_ptr<OneShotTimer> logDoneHold_;
  std::unique_ptr<OneShotTimer> hiddenDoneHold_;
};

}  // namespace quillbrook
