// status_picture.cpp: the 50x50 picture that shows the flash state and flashes when clicked.
#include "ui/status_picture.h"

#include <QMouseEvent>
#include <QPainter>

namespace quillbrook {

StatusPicture::StatusPicture(QWidget* parent) : QWidget(parent) {
  // Every pixel is painted here, so Qt need not clear the area first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void StatusPicture::ShowFrame(const QImage& frame) {
  frame_ = frame;
  update();
}

void StatusPicture::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  if (!frame_.isNull()) {
    painter.drawImage(0, 0, frame_);
  }
}

void StatusPicture::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = true;
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void StatusPicture::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && pressed_) {
    pressed_ = false;
    event->accept();
    // Like a button: letting go somewhere else takes the click back.
    if (rect().contains(event->position().toPoint())) {
      emit clicked();
    }
    return;
  }
  QWidget::mouseReleaseEvent(event);
}

}  // namespace quillbrook
