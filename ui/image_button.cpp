// image_button.cpp: a caption-less push button that shows one of three pictures.
#include "ui/image_button.h"

#include <QEnterEvent>
#include <QPainter>

namespace quillbrook {

namespace {

// Drawn opaque, as a bitmap is blitted: a picture file that carries an alpha channel after all
// shows its colours, and the window's background never shows through it.
QImage Opaque(const QImage& picture) {
  if (picture.isNull() || !picture.hasAlphaChannel()) {
    return picture;
  }
  return picture.convertToFormat(QImage::Format_RGB32);
}

}  // namespace

ImageButton::ImageButton(const QImage& normal, const QImage& mouseOver, const QImage& pressed,
                         QWidget* parent)
    : QAbstractButton(parent),
      normal_(Opaque(normal)),
      mouseOver_(Opaque(mouseOver)),
      pressed_(Opaque(pressed)) {}

QImage ImageButton::LoadPicture(const QString& path) {
  return QImage(path);
}

ImageButton::Look ImageButton::CurrentLook() const {
  if (isDown()) {
    return Look::Pressed;
  }
  return pointerOver_ ? Look::MouseOver : Look::Normal;
}

const QImage& ImageButton::CurrentPicture() const {
  if (normal_.isNull()) {
    return normal_;
  }
  switch (CurrentLook()) {
    case Look::Pressed:
      return pressed_.isNull() ? normal_ : pressed_;
    case Look::MouseOver:
      return mouseOver_.isNull() ? normal_ : mouseOver_;
    case Look::Normal:
      break;
  }
  return normal_;
}

QSize ImageButton::sizeHint() const {
  return normal_.isNull() ? QSize(20, 20) : normal_.size();
}

void ImageButton::paintEvent(QPaintEvent* /*event*/) {
  const QImage& picture = CurrentPicture();
  if (picture.isNull()) {
    return;
  }
  QPainter painter(this);
  painter.drawImage(0, 0, picture);
}

void ImageButton::enterEvent(QEnterEvent* event) {
  pointerOver_ = true;
  update();
  QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
  pointerOver_ = false;
  update();
  QAbstractButton::leaveEvent(event);
}

}  // namespace quillbrook
