// status_animation.cpp: plays the picture of a flash state in the status picture and sets its hint.
#include "ui/status_animation.h"

#include <QImageReader>
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
    : window_(window), timers_(timers) {}

const std::vector<StatusAnimation::Frame>& StatusAnimation::FramesOf(FlashState state) {
  std::vector<Frame>& frames = frames_.at(static_cast<std::size_t>(state));
  if (frames.empty()) {
    // The reader composes each frame over the earlier ones as the file's disposal rules say.
    QImageReader reader(PicturePath(state));
    QImage image;
    while (reader.read(&image)) {
      QImage frame(kSize, kSize, QImage::Format_RGB32);
      frame.fill(Qt::white);
      QPainter painter(&frame);
      painter.drawImage(0, 0, image);
      painter.end();
      frames.push_back({frame, std::max(reader.nextImageDelay(), kShortestFrameMs)});
    }
  }
  return frames;
}

void StatusAnimation::ShowStatusPicture(FlashState state) {
  if (pendingStep_ != nullptr) {
    pendingStep_->Stop();
    pendingStep_ = nullptr;
  }
  playing_ = &FramesOf(state);
  ShowFrame(0);
}

void StatusAnimation::SetStatusHint(const std::string& text) {
  window_.SetHint(window_.statusPicture(), QString::fromStdString(text));
}

void StatusAnimation::ShowFrame(std::size_t index) {
  current_ = index;
  if (current_ >= playing_->size()) {
    // A picture that cannot be read shows white, as an empty picture does.
    QImage white(kSize, kSize, QImage::Format_RGB32);
    white.fill(Qt::white);
    window_.statusPicture()->ShowFrame(white);
    return;
  }
  window_.statusPicture()->ShowFrame((*playing_)[current_].image);
  if (playing_->size() < 2) {
    return;
  }
  // Each frame stays for its own delay; after the last the first follows again, whatever loop
  // count the file states.
  const int delay = (*playing_)[current_].delayMs;
  std::unique_ptr<OneShotTimer>& timer = frameTimers_[delay];
  if (!timer) {
    timer = timers_.CreateTimer(std::chrono::milliseconds(delay), [this] { ShowNextFrame(); });
  }
  pendingStep_ = timer.get();
  pendingStep_->Start();
}

void StatusAnimation::ShowNextFrame() {
  pendingStep_ = nullptr;
  ShowFrame((current_ + 1) % playing_->size());
}

}  // namespace quillbrook
