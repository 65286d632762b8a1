// settings_reload.cpp: takes a hand edit of the settings file over at once, without a restart.
#include "settings/settings_reload.h"

#include <filesystem>
#include <utility>

#include "app/ascii_case.h"
#include "watch/path_split.h"

namespace quillbrook {

SettingsReload::SettingsReload(const WatcherFactory& createWatcher, std::string settingsPath,
                               Steps steps)
    : steps_(std::move(steps)) {
  PathParts parts = SplitPath(settingsPath);
  directory_ = std::move(parts.directory);
  fileName_ = std::move(parts.name);
  watcher_ = createWatcher(
      [this](int action, const std::string& fullPath) { OnChange(action, fullPath); });
}

bool SettingsReload::StartSettingsWatch() {
  if (watcher_->Start(directory_)) {
    return true;
  }
  // The fall-back settings directory does not exist before the first write; the watch is never
  // restarted, so it would miss the file for the whole run. An empty directory costs nothing.
  std::error_code error;
  if (directory_.empty() || !std::filesystem::create_directories(directory_, error)) {
    return false;
  }
  return watcher_->Start(directory_);
}

void SettingsReload::ReloadSettings() {
  steps_.loadTypeList();
  steps_.rescanPorts();
  steps_.loadHexPath();
}

void SettingsReload::OnChange(int action, const std::string& fullPath) {
  if (action != kFileModified) {
    return;
  }
  // An editor may save the file under another letter case of its name; it is the same setting.
  if (EqualsIgnoringCase(SplitPath(fullPath).name, fileName_)) {
    ReloadSettings();
  }
}

}  // namespace quillbrook
