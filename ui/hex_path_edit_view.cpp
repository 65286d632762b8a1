// hex_path_edit_view.cpp: the HexPathEdit as the core's HEX path field.
#include "ui/hex_path_edit_view.h"

#include "ui/hex_path_edit.h"

namespace quillbrook {

std::string HexPathEditView::Text() const {
  return edit_.text().toStdString();
}

void HexPathEditView::SetTextWithEcho(const std::string& text) {
  edit_.SetTextWithEcho(QString::fromStdString(text));
}

void HexPathEditView::SetTextWithoutEcho(const std::string& text) {
  edit_.SetTextWithoutEcho(QString::fromStdString(text));
}

}  // namespace quillbrook
