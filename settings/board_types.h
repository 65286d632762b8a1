// board_types.h: the board types of the settings file, the chosen one, and its per-type values.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "app/choice_list_view.h"
#include "settings/settings_file.h"
#include "watch/hex_path_view.h"

namespace quillbrook {

// A board type is a section other than "position" and "init"; the current one is the item selected
// in the type list, looked up anew at every access. Nothing per type is kept in memory.
class BoardTypes {
 public:
  using RestartHexWatch = std::function<void(const std::string& path)>;
  // Asks the desktop to open a file in the program it associates with it; false when that failed.
  using OpenInDesktop = std::function<bool(const std::string& path)>;

  BoardTypes(SettingsFile& settings, ChoiceListView& typeBox, ChoiceListView& portBox,
             HexPathView& hexPath, RestartHexWatch restartHexWatch, OpenInDesktop openInDesktop);

  // Fills the type list in file order and reselects the remembered type. Writes nothing.
  void LoadTypeList();
  // The user picked a type: reselect its port, load its HEX path, then remember the type. False
  // when the type could not be remembered.
  bool ChooseType();
  // The HEX path of the current type goes to the watch first, then into the field without echo.
  void LoadHexPath();
  // Opens the settings file for the user to add a type; a file that does not exist yet is first
  // created with comment lines showing how a board type section looks.
  bool OpenSettingsFile();

  std::string CurrentBoardType() const;
  // "" when no type is current or the key is missing.
  std::string ReadTypeSetting(std::string_view key) const;
  // With no type current there is no section to write to: nothing is written and false returned.
  // The value reads back exactly as given: one a read would trim or unquote is stored in quotes.
  bool WriteTypeSetting(std::string_view key, std::string_view value);

 private:
  SettingsFile& settings_;
  ChoiceListView& typeBox_;
  ChoiceListView& portBox_;
  HexPathView& hexPath_;
  RestartHexWatch restartHexWatch_;
  OpenInDesktop openInDesktop_;
};

// True for the sections the program keeps for itself, in any letter case.
bool IsReservedSection(std::string_view name);

}  // namespace quillbrook
