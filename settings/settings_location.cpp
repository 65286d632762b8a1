// settings_location.cpp: where the settings file lives: beside the program or in the config.
#include "settings/settings_location.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "settings/setting_keys.h"

namespace quillbrook {
namespace {

bool IsAbsolute(std::string_view path) {
  return !path.empty() && path.front() == '/';
}

// "dir", "dir/" and "dir//" all join to "dir/name".
std::string Join(std::string_view directory, std::string_view name) {
  while (!directory.empty() && directory.back() == '/') {
    directory.remove_suffix(1);
  }
  std::string joined(directory);
  joined.append("/").append(name);
  return joined;
}

std::string_view EnvironmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string_view(value) : std::string_view();
}

// $HOME, or the home directory of the account when HOME is unset or empty.
std::string HomeDirectory() {
  const std::string_view home = EnvironmentValue("HOME");
  if (!home.empty()) {
    return std::string(home);
  }
  const passwd* account = ::getpwuid(::getuid());
  return account != nullptr && account->pw_dir != nullptr ? std::string(account->pw_dir)
                                                          : std::string();
}

}  // namespace

std::string ProgramDirectory() {
  // The link's length is not known beforehand; grow the buffer until the whole target fits.
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (length < 0) {
      return {};
    }
    if (static_cast<std::size_t>(length) < buffer.size()) {
      const std::string target(buffer.data(), static_cast<std::size_t>(length));
      const std::size_t slash = target.rfind('/');
      return slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string ChooseSettingsPath(std::string_view programDirectory, bool programDirectoryWritable,
                               std::string_view xdgConfigHome, std::string_view home) {
  const bool programDirectoryKnown = IsAbsolute(programDirectory);
  if (programDirectoryKnown && programDirectoryWritable) {
    return Join(programDirectory, keys::kSettingsFileName);
  }
  std::string configHome;
  if (IsAbsolute(xdgConfigHome)) {
    configHome = xdgConfigHome;
  } else if (IsAbsolute(home)) {
    configHome = Join(home, ".config");
  } else {
    return programDirectoryKnown ? Join(programDirectory, keys::kSettingsFileName) : std::string();
  }
  return Join(Join(configHome, "quillbrook"), keys::kSettingsFileName);
}

std::string ChooseSettingsPath() {
  const std::string programDirectory = ProgramDirectory();
  const bool writable = !programDirectory.empty() && ::access(programDirectory.c_str(), W_OK) == 0;
  return ChooseSettingsPath(programDirectory, writable, EnvironmentValue("XDG_CONFIG_HOME"),
                            HomeDirectory());
}

}  // namespace quillbrook
