// flash_modes.h: the auto/manual and log/no-log switches, their buttons and their stored values.
#pragma once

#include "settings/settings_file.h"

namespace quillbrook {

enum class ModeButton { kAutoFlash, kManualFlash, kLogShown, kNoLog };

class ModeButtonsView {
 public:
  virtual ~ModeButtonsView() = default;
  virtual void SetModeButtonVisible(ModeButton button, bool visible) = 0;
};

// Each switch is held in memory for the whole run: read once at start-up, then changed only by a
// click on its visible button. A stored value other than 0 and 1 is held as read, which shows both
// buttons of the pair, until a click replaces it with 0 or 1.
class FlashModes {
 public:
  FlashModes(SettingsFile& settings, ModeButtonsView& view);

  void ApplyLogModeAtStartUp();
  void ApplyAutoModeAtStartUp();

  // A click on a mode button: stored first, then shown and held. A failed write changes the switch
  // all the same and returns false.
  bool SetAutoMode(int value);
  bool SetLogMode(int value);

  int autoMode() const { return autoMode_; }
  int logMode() const { return logMode_; }

 private:
  void ApplyAutoMode(int value);
  void ApplyLogMode(int value);

  SettingsFile& settings_;
  ModeButtonsView& view_;
  int autoMode_ = 0;
  int logMode_ = 0;
};

}  // namespace quillbrook
