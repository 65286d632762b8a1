// flash_sequencer.cpp: decides when a flash starts and when it counts as finished, and shows its
// state.
#include "flash/flash_sequencer.h"

#include <utility>

#include "flash/param_template.h"

namespace quillbrook {

FlashSequencer::FlashSequencer(TimerFactory& timers, AvrdudeLauncher& launcher,
                               StatusIndicatorView& view, FlashSources sources)
    : launcher_(launcher), view_(view), sources_(std::move(sources)) {
  autoFlashDelay_ = timers.CreateTimer(kAutoFlashDelay, [this] {
    if (sources_.autoMode() == 1) {
      RequestFlash();
    }
  });
  // Each launch takes the arguments held at its start, so of two requests within the delay only one
  // launch follows, with the later request's arguments.
  logLaunchDelay_ =
      timers.CreateTimer(kLaunchDelay, [this] { launcher_.LaunchWithLog(flashArgs_); });
  hiddenLaunchDelay_ =
      timers.CreateTimer(kLaunchDelay, [this] { launcher_.LaunchWithoutLog(flashArgs_); });
  quietTimer_ = timers.CreateTimer(kQuietTime, [this] {
    ShowFlashState(FlashState::kDone);
    hiddenDoneHold_->Start();
  });
  logDoneHold_ = timers.CreateTimer(kDoneHold, [this] { ShowFlashState(FlashState::kNoChanges); });
  hiddenDoneHold_ =
      timers.CreateTimer(kDoneHold, [this] { ShowFlashState(FlashState::kNoChanges); });
}

void FlashSequencer::ShowFlashState(FlashState state) {
  view_.ShowStatusPicture(state);
  view_.SetStatusHint(FlashStateText(state));
}

void FlashSequencer::RequestFlash() {
  flashArgs_ = ExpandParamTemplate(sources_.paramTemplate(), sources_.port(), sources_.hexPath());
  switch (sources_.logMode()) {
    case 0:
      ShowFlashState(FlashState::kFlashing);
      hiddenLaunchDelay_->Start();
      break;
    case 1:
      ShowFlashState(FlashState::kFlashing);
      logLaunchDelay_->Start();
      break;
    default:
      // A log mode this program never writes: the request is computed, but nothing is launched.
      break;
  }
}

void FlashSequencer::OnHexChanged() {
  ShowFlashState(FlashState::kChangesDetected);
  // One rewrite gives a burst of notifications; the delay counts from the first of them.
  autoFlashDelay_->Start();
}

void FlashSequencer::OnAvrdudeEnded() {
  ShowFlashState(FlashState::kDone);
  logDoneHold_->Start();
}

void FlashSequencer::OnErrorOutputArrived() {
  quietTimer_->Stop();
  quietTimer_->Start();
}

}  // namespace quillbrook
