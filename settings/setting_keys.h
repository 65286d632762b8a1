// setting_keys.h: every section and key name of the settings file, each beside its default.
#pragma once

#include <string_view>

namespace quillbrook::keys {

// An integer setting at a fixed section.
struct IntegerKey {
  std::string_view section;
  std::string_view key;
  int defaultValue;
};

// A string setting at a fixed section.
struct StringKey {
  std::string_view section;
  std::string_view key;
  std::string_view defaultValue;
};

// A string setting kept in the section of a board type; the section is the type's name.
struct BoardTypeKey {
  std::string_view key;
  std::string_view defaultValue;
};

// On disk the name is exactly this, also on case-sensitive file systems.
inline constexpr std::string_view kSettingsFileName = "quillbrook.ini";

// Window position. The default of each key is the window's current value, so there is no fixed
// default here: a missing key leaves that property of the window as it is.
inline constexpr std::string_view kPositionSection = "position";
inline constexpr std::string_view kLeft = "Left";
inline constexpr std::string_view kTop = "Top";
inline constexpr std::string_view kWidth = "Width";
inline constexpr std::string_view kHeight = "Height";

// The init section. Names compare without regard to case, so "init" and "Init" are one section;
// each key keeps the spelling it has always been addressed with, which is the spelling a header
// gets when a write has to add the section.
inline constexpr std::string_view kInitSection = "init";
inline constexpr IntegerKey kConsol{kInitSection, "consol", 0};
inline constexpr IntegerKey kAuto{kInitSection, "auto", 0};
inline constexpr StringKey kType{"Init", "type", ""};

// Per board type.
inline constexpr BoardTypeKey kAvrdudeParam{"avrdude_param", ""};
inline constexpr BoardTypeKey kPort{"port", ""};
inline constexpr BoardTypeKey kHexFilePath{"hex_file_path", ""};

}  // namespace quillbrook::keys
