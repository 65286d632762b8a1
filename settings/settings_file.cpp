// settings_file.cpp: the program's settings file, the one place all persistent state is kept.
#include "settings/settings_file.h"

#include <utility>

namespace quillbrook {
namespace {

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

SettingsFile::SettingsFile(std::string path)
    : file_(std::move(path)), directory_(DirectoryOf(file_.path())) {}

std::string SettingsFile::ReadSettingString(std::string_view section, std::string_view key) const {
  return file_.ReadString(section, key);
}

int SettingsFile::ReadSettingInteger(std::string_view section, std::string_view key,
                                     int defaultValue) const {
  return file_.ReadInteger(section, key, defaultValue);
}

bool SettingsFile::WriteSettingString(std::string_view section, std::string_view key,
                                      std::string_view value) {
  return file_.WriteString(section, key, value);
}

bool SettingsFile::WriteSettingInteger(std::string_view section, std::string_view key, int value) {
  return file_.WriteInteger(section, key, value);
}

std::vector<std::string> SettingsFile::ListSections() const {
  return file_.ListSections();
}

}  // namespace quillbrook
