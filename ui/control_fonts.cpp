// control_fonts.cpp: the fonts of the window's controls and of its hints, with substitutes where
// the Windows fonts are missing.
#include "ui/control_fonts.h"

#include <QStringList>

namespace quillbrook {

namespace {

constexpr int kPointSize = 8;

QFont SansFont(const QStringList& families) {
  QFont font;
  // Qt tries the families in order and only then asks the system for any sans serif face.
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(kPointSize);
  font.setWeight(QFont::Normal);
  font.setItalic(false);
  return font;
}

}  // namespace

QFont ControlFont() {
  // MS Sans Serif exists only where Windows fonts are installed. Its successor and the faces made
  // to Arial's metrics keep the texts inside the fixed control sizes; Nimbus Sans (Debian's
  // fonts-urw-base35) has the same widths, and DejaVu Sans, always there on Debian, is the last
  // resort: a little wider, but still within the controls.
  return SansFont({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                   QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                   QStringLiteral("Arimo"), QStringLiteral("Nimbus Sans"),
                   QStringLiteral("DejaVu Sans")});
}

QFont HintFont() {
  // Tahoma is a narrow Verdana; DejaVu Sans descends from the same design as Verdana, and its
  // condensed cut is the nearest to Tahoma's widths.
  return SansFont({QStringLiteral("Tahoma"), QStringLiteral("Verdana"),
                   QStringLiteral("DejaVu Sans Condensed"), QStringLiteral("DejaVu Sans")});
}

}  // namespace quillbrook
