// image_button.h: a caption-less push button that shows one of three pictures.
#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QString>

namespace quillbrook {

// The normal picture, one for the pointer resting over the button and one for the button held
// down. A missing mouse-over or pressed picture falls back to the normal one; without a normal
// picture the button draws nothing. The picture is drawn opaque and unscaled at the top-left
// corner, with no border, focus frame or caption. A click (press and release on the button)
// emits clicked().
class ImageButton : public QAbstractButton {
  Q_OBJECT

 public:
  enum class Look { Normal, MouseOver, Pressed };

  ImageButton(const QImage& normal, const QImage& mouseOver, const QImage& pressed,
              QWidget* parent = nullptr);

  // A picture file of the program's resources; a file that cannot be loaded gives a null image,
  // which the button treats as a missing picture.
  static QImage LoadPicture(const QString& path);

  Look CurrentLook() const;
  // The picture drawn for the current look; null when there is nothing to draw.
  const QImage& CurrentPicture() const;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QImage normal_;
  QImage mouseOver_;
  QImage pressed_;
  bool pointerOver_ = false;
};

}  // namespace quillbrook
