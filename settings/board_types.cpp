// board_types.cpp: the board types of the settings file, the chosen one, and its per-type values.
#include "settings/board_types.h"

#include <utility>

#include "app/ascii_case.h"
#include "settings/setting_keys.h"

namespace quillbrook {

namespace {

// Written only into a settings file that does not exist yet: comments, never a section, so the
// program still creates no board type of its own.
constexpr std::string_view kNewFileGuide =
    "; Quillbrook settings. Each board type is a section of its own; add one like this\n"
    "; (without the semicolons), save the file, and it appears in the type list:\n"
    ";\n"
    "; [Arduino Uno]\n"
    "; avrdude_param=-c arduino -p m328p -P %1 -b 115200 -D -U flash:w:\"%2\":i\n"
    ";\n"
    "; In avrdude_param, %1 is the serial port, %2 the HEX file and %% a percent sign.\n"
    "; The program fills in port and hex_file_path of a type as you choose them.\n";

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

// A read removes the blanks around a value, then one pair of enclosing quotes. Each keystroke in
// the HEX path field is written and read back by the reload that follows the write, so a value
// the read would change must be stored in quotes: otherwise a blank typed at the end of a path
// (the space of "My Files") vanishes before the next keystroke.
std::string StoredForm(std::string_view value) {
  const bool enclosedInQuotes = value.size() >= 2 &&
                                (value.front() == '"' || value.front() == '\'') &&
                                value.back() == value.front();
  if (value.empty() || (!IsBlank(value.front()) && !IsBlank(value.back()) && !enclosedInQuotes)) {
    return std::string(value);
  }
  return '"' + std::string(value) + '"';
}

}  // namespace

bool IsReservedSection(std::string_view name) {
  return EqualsIgnoringCase(name, keys::kPositionSection) ||
         EqualsIgnoringCase(name, keys::kInitSection);
}

BoardTypes::BoardTypes(SettingsFile& settings, ChoiceListView& typeBox, ChoiceListView& portBox,
                       HexPathView& hexPath, RestartHexWatch restartHexWatch,
                       OpenInDesktop openInDesktop)
    : settings_(settings),
      typeBox_(typeBox),
      portBox_(portBox),
      hexPath_(hexPath),
      restartHexWatch_(std::move(restartHexWatch)),
      openInDesktop_(std::move(openInDesktop)) {}

void BoardTypes::LoadTypeList() {
  typeBox_.Clear();
  for (const std::string& name : settings_.ListSections()) {
    if (!IsReservedSection(name)) {
      typeBox_.Append(name);
    }
  }
  SelectByText(typeBox_, settings_.ReadSettingString(keys::kType.section, keys::kType.key));
}

bool BoardTypes::ChooseType() {
  SelectByText(portBox_, ReadTypeSetting(keys::kPort.key));
  LoadHexPath();
  return settings_.WriteSettingString(keys::kType.section, keys::kType.key, CurrentBoardType());
}

void BoardTypes::LoadHexPath() {
  const std::string path = ReadTypeSetting(keys::kHexFilePath.key);
  restartHexWatch_(path);
  hexPath_.SetTextWithoutEcho(path);
}

bool BoardTypes::OpenSettingsFile() {
  if (!settings_.CreateIfMissing(kNewFileGuide)) {
    return false;
  }
  return openInDesktop_(settings_.path());
}

std::string BoardTypes::CurrentBoardType() const {
  return typeBox_.Text();
}

std::string BoardTypes::ReadTypeSetting(std::string_view key) const {
  return settings_.ReadSettingString(CurrentBoardType(), key);
}

bool BoardTypes::WriteTypeSetting(std::string_view key, std::string_view value) {
  const std::string type = CurrentBoardType();
  if (type.empty()) {
    return false;
  }
  return settings_.WriteSettingString(type, key, StoredForm(value));
}

}  // namespace quillbrook
