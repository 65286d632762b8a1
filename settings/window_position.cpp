// window_position.cpp: the main window's last position and size, kept in the "position" section.
#include "settings/window_position.h"

#include "settings/setting_keys.h"

namespace quillbrook {

WindowRect LoadWindowPosition(const SettingsFile& settings, WindowRect current) {
  const std::string_view section = keys::kPositionSection;
  current.left = settings.ReadSettingInteger(section, keys::kLeft, current.left);
  current.top = settings.ReadSettingInteger(section, keys::kTop, current.top);
  current.width = settings.ReadSettingInteger(section, keys::kWidth, current.width);
  current.height = settings.ReadSettingInteger(section, keys::kHeight, current.height);
  return current;
}

bool SaveWindowPosition(SettingsFile& settings, bool shownOnce, WindowRect rect) {
  if (!shownOnce) {
    return true;
  }
  const std::string_view section = keys::kPositionSection;
  // Every key is tried even after a failure: each one that lands is one less value lost.
  bool saved = settings.WriteSettingInteger(section, keys::kLeft, rect.left);
  saved = settings.WriteSettingInteger(section, keys::kTop, rect.top) && saved;
  saved = settings.WriteSettingInteger(section, keys::kWidth, rect.width) && saved;
  saved = settings.WriteSettingInteger(section, keys::kHeight, rect.height) && saved;
  return saved;
}

}  // namespace quillbrook
