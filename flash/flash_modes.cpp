// flash_modes.cpp: the auto/manual and log/no-log switches, their buttons and their stored values.
#include "flash/flash_modes.h"

#include "settings/setting_keys.h"

namespace quillbrook {

FlashModes::FlashModes(SettingsFile& settings, ModeButtonsView& view)
    : settings_(settings), view_(view) {}

void FlashModes::ApplyLogModeAtStartUp() {
  ApplyLogMode(settings_.ReadSettingInteger(keys::kConsol.section, keys::kConsol.key,
                                            keys::kConsol.defaultValue));
}

void FlashModes::ApplyAutoModeAtStartUp() {
  ApplyAutoMode(
      settings_.ReadSettingInteger(keys::kAuto.section, keys::kAuto.key, keys::kAuto.defaultValue));
}

bool FlashModes::SetAutoMode(int value) {
  // A failed write changes nothing here: the switch holds for this run, the next start reads the
  // old value.
  const bool written = settings_.WriteSettingInteger(keys::kAuto.section, keys::kAuto.key, value);
  ApplyAutoMode(value);
  return written;
}

bool FlashModes::SetLogMode(int value) {
  const bool written =
      settings_.WriteSettingInteger(keys::kConsol.section, keys::kConsol.key, value);
  ApplyLogMode(value);
  return written;
}

void FlashModes::ApplyAutoMode(int value) {
  view_.SetModeButtonVisible(ModeButton::kAutoFlash, value != 0);
  autoMode_ = value;
  view_.SetModeButtonVisible(ModeButton::kManualFlash, value != 1);
}

void FlashModes::ApplyLogMode(int value) {
  view_.SetModeButtonVisible(ModeButton::kLogShown, value != 0);
  logMode_ = value;
  view_.SetModeButtonVisible(ModeButton::kNoLog, value != 1);
}

}  // namespace quillbrook
