// settings_file.h: the program's settings file, the one place all persistent state is kept.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "settings/ini_file.h"

namespace quillbrook {

// The primitives through which the rest of the program reaches the settings file. Every call goes
// to the file itself, so a hand edit is seen by the very next read. The program shows no error
// when a write fails; the result is there for whoever wants to know.
class SettingsFile {
 public:
  // path: the settings file's full path (see ChooseSettingsPath).
  explicit SettingsFile(std::string path);

  // "" when the file, the section or the key is missing, or the section name is empty.
  std::string ReadSettingString(std::string_view section, std::string_view key) const;
  // defaultValue when the file, the section or the key is missing, or the section name is empty.
  int ReadSettingInteger(std::string_view section, std::string_view key, int defaultValue) const;
  bool WriteSettingString(std::string_view section, std::string_view key, std::string_view value);
  bool WriteSettingInteger(std::string_view section, std::string_view key, int value);
  // Every section, board types and the program's own alike, in file order.
  std::vector<std::string> ListSections() const;
  // Creates the file with this text when it does not exist yet; an existing file stays untouched.
  bool CreateIfMissing(std::string_view initialText) { return file_.CreateIfMissing(initialText); }

  const std::string& path() const { return file_.path(); }
  // The directory holding the file, ending in '/': the one the settings watch follows. "" when the
  // path names no directory.
  const std::string& directory() const { return directory_; }

 private:
  IniFile file_;
  std::string directory_;
};

}  // namespace quillbrook
