// status_picture.h: the 50x50 picture that shows the flash state and flashes when clicked.
#pragma once

#include <QImage>
#include <QWidget>

namespace quillbrook {

// Shows the last frame handed to it at its top-left corner, unscaled; whatever the frame does not
// cover is white. A click (press and release on the picture) emits clicked().
class StatusPicture : public QWidget {
  Q_OBJECT

 public:
  explicit StatusPicture(QWidget* parent = nullptr);

  // Replaces the frame shown and repaints.
  void ShowFrame(const QImage& frame);
  const QImage& Frame() const { return frame_; }

 signals:
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QImage frame_;
  bool pressed_ = false;
};

}  // namespace quillbrook
