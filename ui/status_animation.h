// status_animation.h: plays the picture of a flash state in the status picture and sets its hint.
#pragma once

#include <QMovie>
#include <QObject>
#include <QTimer>

#include "flash/flash_state.h"

namespace quillbrook {

class MainWindow;

class StatusAnimation : public QObject, public StatusIndicatorView {
  Q_OBJECT

 public:
  static constexpr int kSize = 50;

  explicit StatusAnimation(MainWindow& window);

  // Restarts the state's picture at its first frame, also when it is the one already shown.
  void ShowStatusPicture(FlashState state) override;
  void SetStatusHint(const std::string& text) override;

 private:
  void ShowCurrentFrame();
  void ScheduleNextFrame();
  void ShowNextFrame();

  MainWindow& window_;
  QMovie movie_;
  QTimer frameTimer_;
};

}  // namespace quillbrook
