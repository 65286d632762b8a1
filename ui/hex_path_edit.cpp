// hex_path_edit.cpp: the one-line field holding the HEX file's path, which tells the user's edits
// from the program's.
#include "ui/hex_path_edit.h"

namespace quillbrook {

HexPathEdit::HexPathEdit(const QString& initialText, QWidget* parent)
    : QLineEdit(initialText, parent) {
  connect(this, &QLineEdit::textChanged, this, &HexPathEdit::OnTextChanged);
  // A dropped file belongs to the window, which takes its path; the field must not paste the
  // file's address into itself.
  setAcceptDrops(false);
  echo_ = true;
}

void HexPathEdit::SetTextWithEcho(const QString& text) {
  // Qt reports no change for an unchanged text, but setting the text counts as an edit all the
  // same.
  const bool unchanged = text == this->text();
  ReplaceKeepingCaret(text);
  if (unchanged) {
    emit echoedTextChanged(text);
  }
}

void HexPathEdit::SetTextWithoutEcho(const QString& text) {
  echo_ = false;
  ReplaceKeepingCaret(text);
  // An unchanged text causes no change to consume the flag; the next edit must be heard again.
  echo_ = true;
}

void HexPathEdit::ReplaceKeepingCaret(const QString& text) {
  const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
  setText(text);
  setCursorPosition(caret);
}

void HexPathEdit::OnTextChanged(const QString& text) {
  const bool echo = echo_;
  echo_ = true;
  if (echo) {
    emit echoedTextChanged(text);
  }
}

}  // namespace quillbrook
