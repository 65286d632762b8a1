// status_animation_tests.cpp: the status pictures play frame by frame on the virtual clock, loop
// without end, restart at their first frame, and are drawn on white.
#include "ui/status_animation.h"

#include <gtest/gtest.h>
#include <QImageReader>
#include <QPainter>

#include <vector>

#include "tests/support/virtual_clock.h"
#include "ui/hint_display.h"
#include "ui/main_window.h"
#include "ui/status_picture.h"

namespace quillbrook {
namespace {

using namespace std::chrono_literals;

// The frames of a state's picture as the file composes them, read independently of QMovie, each
// laid on a white 50x50 ground.
std::vector<QImage> ExpectedFrames(FlashState state) {
  QImageReader reader(QStringLiteral(":/streams/STREAM%1.gif").arg(static_cast<int>(state)));
  std::vector<QImage> frames;
  QImage image;
  while (reader.read(&image)) {
    QImage frame(StatusAnimation::kSize, StatusAnimation::kSize, QImage::Format_RGB32);
    frame.fill(Qt::white);
    QPainter painter(&frame);
    painter.drawImage(0, 0, image);
    painter.end();
    frames.push_back(frame);
  }
  return frames;
}

class StatusAnimationTest : public ::testing::Test {
 protected:
  QImage Shown() const {
    return window_.statusPicture()->Frame().convertToFormat(QImage::Format_RGB32);
  }

  testing::VirtualClock clock_;
  MainWindow window_{clock_};
  StatusAnimation animation_{window_, clock_};
};

TEST_F(StatusAnimationTest, FlashingPlaysItsFiveFramesOf200MsAndLoopsWithoutEnd) {
  const std::vector<QImage> frames = ExpectedFrames(FlashState::kFlashing);
  ASSERT_EQ(frames.size(), 5u);
  animation_.ShowStatusPicture(FlashState::kFlashing);
  EXPECT_EQ(Shown(), frames[0]);
  clock_.Advance(199ms);
  EXPECT_EQ(Shown(), frames[0]);
  for (int lap = 0; lap < 3; ++lap) {
    for (std::size_t i = 1; i <= frames.size(); ++i) {
      clock_.Advance(200ms);
      EXPECT_EQ(Shown(), frames[i % frames.size()]) << "lap " << lap << ", frame " << i;
    }
  }
}

TEST_F(StatusAnimationTest, ShowingAStateAgainRestartsItsPictureAtTheFirstFrame) {
  const std::vector<QImage> frames = ExpectedFrames(FlashState::kFlashing);
  animation_.ShowStatusPicture(FlashState::kFlashing);
  clock_.Advance(500ms);  // in the third frame, 100 ms before the fourth
  EXPECT_EQ(Shown(), frames[2]);
  animation_.ShowStatusPicture(FlashState::kFlashing);
  EXPECT_EQ(Shown(), frames[0]);
  clock_.Advance(199ms);  // the step that was due at 600 ms must not come
  EXPECT_EQ(Shown(), frames[0]);
  clock_.Advance(1ms);
  EXPECT_EQ(Shown(), frames[1]);
}

TEST_F(StatusAnimationTest, StillPicturesStayAndAStateChangeStopsTheAnimation) {
  for (const FlashState state :
       {FlashState::kNoChanges, FlashState::kChangesDetected, FlashState::kDone}) {
    const std::vector<QImage> frames = ExpectedFrames(state);
    ASSERT_EQ(frames.size(), 1u);
    animation_.ShowStatusPicture(FlashState::kFlashing);
    clock_.Advance(300ms);
    animation_.ShowStatusPicture(state);
    EXPECT_EQ(Shown(), frames[0]);
    clock_.Advance(5000ms);
    EXPECT_EQ(Shown(), frames[0]) << static_cast<int>(state);
    // White where the picture is transparent or does not reach.
    EXPECT_EQ(Shown().pixelColor(49, 49), QColor(Qt::white));
  }
}

TEST_F(StatusAnimationTest, TheHintGoesToTheStatusPictureTooltip) {
  animation_.SetStatusHint("Changes detected!");
  EXPECT_EQ(window_.Hints().Hint(window_.statusPicture()), QStringLiteral("Changes detected!"));
}

}  // namespace
}  // namespace quillbrook
