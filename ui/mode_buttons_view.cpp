// mode_buttons_view.cpp: the four mode buttons of the window as the core's mode switches.
#include "ui/mode_buttons_view.h"

#include "ui/image_button.h"
#include "ui/main_window.h"

namespace quillbrook {

void ModeButtonsWidgetView::SetModeButtonVisible(ModeButton button, bool visible) {
  ImageButton* widget = nullptr;
  switch (button) {
    case ModeButton::kAutoFlash:
      widget = window_.autoFlashButton();
      break;
    case ModeButton::kManualFlash:
      widget = window_.manualFlashButton();
      break;
    case ModeButton::kLogShown:
      widget = window_.logShownButton();
      break;
    case ModeButton::kNoLog:
      widget = window_.noLogButton();
      break;
  }
  widget->setVisible(visible);
}

}  // namespace quillbrook
