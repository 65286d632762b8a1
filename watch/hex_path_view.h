// hex_path_view.h: the HEX path field as the core sees it.
#pragma once

#include <string>

namespace quillbrook {

class HexPathView {
 public:
  virtual ~HexPathView() = default;
  virtual std::string Text() const = 0;
  // Raises the field's text-change event exactly as typing would, even when the text is unchanged.
  virtual void SetTextWithEcho(const std::string& text) = 0;
  // Raises no event: a value loaded by the program is never written back. Both keep the caret.
  virtual void SetTextWithoutEcho(const std::string& text) = 0;
};

}  // namespace quillbrook
