// control_fonts.h: the fonts of the window's controls and of its hints, with substitutes where the
// Windows fonts are missing.
#pragma once

#include <QFont>

namespace quillbrook {

// "MS Sans Serif" 8 pt, regular: the font of every control unless a control says otherwise.
QFont ControlFont();

// "Tahoma" 8 pt, regular: the font of the hints.
QFont HintFont();

}  // namespace quillbrook
