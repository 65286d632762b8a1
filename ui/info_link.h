// info_link.h: the link label that opens the avrdude documentation in the desktop's browser.
#pragma once

#include <functional>

#include <QLabel>
#include <QUrl>

namespace quillbrook {

// Shows the page's host name in silver; under the pointer the text turns grey and underlined. A
// click (press and release on the label) hands the address to the opener, by default the
// desktop's browser. A page that cannot be opened is not reported: the user simply sees no
// browser, as with any failed link.
class InfoLink : public QLabel {
  Q_OBJECT

 public:
  // Returns false when the desktop could not open the address.
  using Opener = std::function<bool(const QUrl&)>;

  static const QColor kRestingColour;
  static const QColor kHoverColour;

  // The documentation of avrdude's options, from which the users write their templates.
  static QUrl DocumentationAddress();

  explicit InfoLink(const QUrl& address, QWidget* parent = nullptr);

  const QUrl& Address() const { return address_; }
  void SetOpener(Opener opener);
  bool Hovered() const { return hovered_; }

 signals:
  // After the opener has been asked; `opened` is its answer.
  void clicked(bool opened);

 protected:
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void ShowHovered(bool hovered);

  QUrl address_;
  Opener opener_;
  bool hovered_ = false;
  bool pressed_ = false;
};

}  // namespace quillbrook
