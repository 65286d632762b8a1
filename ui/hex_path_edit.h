// hex_path_edit.h: the one-line field holding the HEX file's path, which tells the user's edits
// from the program's.
#pragma once

#include <QLineEdit>
#include <QString>

namespace quillbrook {

// Every change of the text emits echoedTextChanged, except the one change made by
// SetTextWithoutEcho. The text given at creation emits nothing. Both ways of setting the text keep
// the caret where the selection started before.
class HexPathEdit : public QLineEdit {
  Q_OBJECT

 public:
  explicit HexPathEdit(const QString& initialText, QWidget* parent = nullptr);

  // Replaces the text as typing would: emits echoedTextChanged, also when the text is unchanged.
  void SetTextWithEcho(const QString& text);
  // Replaces the text without emitting anything, so that a loaded value is not written back.
  void SetTextWithoutEcho(const QString& text);

 signals:
  void echoedTextChanged(const QString& text);

 private:
  void ReplaceKeepingCaret(const QString& text);
  void OnTextChanged(const QString& text);

  bool echo_ = false;
};

}  // namespace quillbrook
