// info_link.cpp: the link label that opens the avrdude documentation in the desktop's browser.
#include "ui/info_link.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace quillbrook {

const QColor InfoLink::kRestingColour(192, 192, 192);
const QColor InfoLink::kHoverColour(128, 128, 128);

QUrl InfoLink::DocumentationAddress() {
  return QUrl(QStringLiteral("https://avrdudes.github.io/avrdude/"));
}

InfoLink::InfoLink(const QUrl& address, QWidget* parent)
    : QLabel(address.host(), parent),
      address_(address),
      opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
  // Plain text, not a rich-text link: Qt's own links would change the pointer to a hand.
  setTextFormat(Qt::PlainText);
  ShowHovered(false);
}

void InfoLink::SetOpener(Opener opener) {
  opener_ = std::move(opener);
}

void InfoLink::ShowHovered(bool hovered) {
  hovered_ = hovered;
  // Only the colour and the underline are set here; everything else still comes from the window.
  QPalette colours;
  colours.setColor(QPalette::WindowText, hovered ? kHoverColour : kRestingColour);
  setPalette(colours);
  QFont underline;
  underline.setUnderline(hovered);
  setFont(underline);
}

void InfoLink::enterEvent(QEnterEvent* event) {
  ShowHovered(true);
  QLabel::enterEvent(event);
}

void InfoLink::leaveEvent(QEvent* event) {
  ShowHovered(false);
  QLabel::leaveEvent(event);
}

void InfoLink::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    pressed_ = true;
  }
  // Taken here so that a press on the link never becomes a move of the window.
  event->accept();
}

void InfoLink::mouseReleaseEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() != Qt::LeftButton || !pressed_) {
    return;
  }
  pressed_ = false;
  if (rect().contains(event->position().toPoint())) {
    const bool opened = opener_ ? opener_(address_) : false;
    emit clicked(opened);
  }
}

}  // namespace quillbrook
