// hex_path_edit_view.h: the HexPathEdit as the core's HEX path field.
#pragma once

#include "watch/hex_path_view.h"

namespace quillbrook {

class HexPathEdit;

class HexPathEditView : public HexPathView {
 public:
  explicit HexPathEditView(HexPathEdit& edit) : edit_(edit) {}

  std::string Text() const override;
  void SetTextWithEcho(const std::string& text) override;
  void SetTextWithoutEcho(const std::string& text) override;

 private:
  HexPathEdit& edit_;
};

}  // namespace quillbrook
