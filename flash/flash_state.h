// flash_state.h: what the status picture shows, and the one list of its texts.
#pragma once

#include <string>

namespace quillbrook {

enum class FlashState { kNoChanges = 0, kChangesDetected = 1, kFlashing = 2, kDone = 3 };

// The text of a state, taken from the one list "No changes\r\nChanges detected!\r\nFlashing
// ...\r\nDone".
std::string FlashStateText(FlashState state);

// What shows a state: its picture, restarted at the first frame, and its text as the picture's
// hint.
class StatusIndicatorView {
 public:
  virtual ~StatusIndicatorView() = default;
  virtual void ShowStatusPicture(FlashState state) = 0;
  virtual void SetStatusHint(const std::string& text) = 0;
};

}  // namespace quillbrook
