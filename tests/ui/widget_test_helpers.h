// widget_test_helpers.h: pointer events and pictures that the widget tests hand to the controls.
#pragma once

#include <QApplication>
#include <QColor>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

namespace quillbrook::testing {

// What the system sends when the pointer enters, moves over or leaves a widget without a button.
inline void PointerEnters(QWidget* widget, QPoint at = QPoint(2, 2)) {
  QEnterEvent event(at, at, widget->mapToGlobal(at));
  QApplication::sendEvent(widget, &event);
}

inline void PointerMoves(QWidget* widget, QPoint to) {
  QMouseEvent event(QEvent::MouseMove, to, to, widget->mapToGlobal(to), Qt::NoButton, Qt::NoButton,
                    Qt::NoModifier);
  QApplication::sendEvent(widget, &event);
}

inline void PointerLeaves(QWidget* widget) {
  QEvent event(QEvent::Leave);
  QApplication::sendEvent(widget, &event);
}

inline QImage Solid(QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

// The widget as it would appear on screen.
inline QColor PixelOf(QWidget* widget, QPoint at) {
  return widget->grab().toImage().pixelColor(at);
}

}  // namespace quillbrook::testing
