// status_animation.cpp: plays the picture of a flash state in the status picture and sets its hint.
#include "ui/status_animation.h"

#include <QImage>
#include <QPainter>
#include <algorithm>

#include "ui/main_window.h"
#include "ui/status_picture.h"

namespace quillbrook {

namespace {

QString PicturePath(FlashState state) {
  return QStringLiteral(":/streams/STREAM%1.gif").arg(static_cast<int>(state));
}

// A frame whose file gives it no time of its own still stays this long, so that such a picture
// cannot spin the event loop.
constexpr int kShortestFrameMs = 10;

}  // namespace

StatusAnimation::StatusAnimation(MainWindow& window, TimerFactory& timers)
    : window_(window), timers_(timers) {
  // The frames are stepped by hand: each stays for its own delay, and after the last the first
  // follows again whatever loop count the file states.
  movie_.setCacheMode(QMovie::CacheAll);
}

void StatusAnimation::ShowStatusPicture(FlashState state) {
  if (pendingStep_ != nullptr) {
    pendingStep_->Stop();
    pendingStep_ = nullptr;
  }
  movie_.stop();
  movie_.setFileName(PicturePath(state));
  movie_.jumpToFrame(0);
  ShowCurrentFrame();
  ScheduleNextFrame();
}

void StatusAnimation::SetStatusHint(const std::string& text) {
  window_.SetHint(window_.statusPicture(), QString::fromStdString(text));
}

void StatusAnimation::ShowCurrentFrame() {
  QImage frame(kSize, kSize, QImage::Format_RGB32);
  frame.fill(Qt::white);
  QPainter painter(&frame);
  painter.drawImage(0, 0, movie_.currentImage());
  painter.end();
  window_.statusPicture()->ShowFrame(frame);
}

void StatusAnimation::ScheduleNextFrame() {
  if (movie_.frameCount() < 2) {
    return;
  }
  const int delay = std::max(movie_.nextFrameDelay(), kShortestFrameMs);
  std::unique_ptr<OneShotTimer>& timer = frameTimers_[delay];
  if (!timer) {
    timer = timers_.CreateTimer(std::chrono::milliseconds(delay), [this] { ShowNextFrame(); });
  }
  pendingStep_ = timer.get();
  pendingStep_->Start();
}

void StatusAnimation::ShowNextFrame() {
  pendingStep_ = nullptr;
  if (movie_.currentFrameNumber() + 1 >= movie_.frameCount()) {
    movie_.jumpToFrame(0);
  } else {
    movie_.jumpToNextFrame();
  }
  ShowCurrentFrame();
  ScheduleNextFrame();
}

}  // namespace quillbrook
