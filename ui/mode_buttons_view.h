// mode_buttons_view.h: the four mode buttons of the window as the core's mode switches.
#pragma once

#include "flash/flash_modes.h"

namespace quillbrook {

class MainWindow;

class ModeButtonsWidgetView : public ModeButtonsView {
 public:
  explicit ModeButtonsWidgetView(MainWindow& window) : window_(window) {}

  void SetModeButtonVisible(ModeButton button, bool visible) override;

 private:
  MainWindow& window_;
};

}  // namespace quillbrook
