// window_position.h: the main window's last position and size, kept in the "position" section.
#pragma once

#include "settings/settings_file.h"

namespace quillbrook {

struct WindowRect {
  int left;
  int top;
  int width;
  int height;

  bool operator==(const WindowRect&) const = default;
};

// Reads Left, Top, Width and Height in this order, each with the current value as its default, so
// a missing key leaves that property as it is.
WindowRect LoadWindowPosition(const SettingsFile& settings, WindowRect current);

// Writes Left, Top, Width and Height in this order, unless the window was never shown: its
// geometry is then not one the user saw. True when nothing was to be written or every write
// succeeded.
bool SaveWindowPosition(SettingsFile& settings, bool shownOnce, WindowRect rect);

}  // namespace quillbrook
