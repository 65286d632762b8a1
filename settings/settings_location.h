// settings_location.h: where the settings file lives: beside the program, or in the user's config.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook {

// The directory of the program's own file (/proc/self/exe), ending in '/'; "" when the system
// does not say.
std::string ProgramDirectory();

// The settings file's full path: "quillbrook.ini" in programDirectory when that directory is
// writable, which keeps a program unpacked anywhere self-contained. Otherwise (an installed
// program) $XDG_CONFIG_HOME/quillbrook/quillbrook.ini, where an unset, empty or relative
// XDG_CONFIG_HOME means $HOME/.config: settings that can never be written would be lost silently.
// When neither gives an absolute directory, the program directory is kept all the same: reads work
// there and writes fail, which is better than a path relative to whatever the current directory
// happens to be; "" when there is no absolute directory at all. Empty environment values stand for
// unset ones.
std::string ChooseSettingsPath(std::string_view programDirectory, bool programDirectoryWritable,
                               std::string_view xdgConfigHome, std::string_view home);

// The same with this process's program directory and environment. Locating creates nothing; the
// fall-back directory is made by the first write.
std::string ChooseSettingsPath();

}  // namespace quillbrook
