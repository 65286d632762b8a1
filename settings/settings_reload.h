// settings_reload.h: takes a hand edit of the settings file over at once, without a restart.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "watch/directory_watcher.h"

namespace quillbrook {

// Watches the directory that holds the settings file. Every reported write of the file runs the
// reload, the program's own writes included: a reload reads back what was just written and
// writes nothing itself, so it never causes another.
class SettingsReload {
 public:
  struct Steps {
    std::function<void()> loadTypeList;
    std::function<void()> rescanPorts;
    std::function<void()> loadHexPath;
  };
  using WatcherFactory =
      std::function<std::unique_ptr<DirectoryWatcher>(DirectoryWatcher::ChangeHandler)>;

  SettingsReload(const WatcherFactory& createWatcher, std::string settingsPath, Steps steps);

  // Started once, as the last step of the start-up; never restarted. False when the directory
  // cannot be watched: the program then simply does not follow hand edits.
  bool StartSettingsWatch();
  void ReloadSettings();

 private:
  void OnChange(int action, const std::string& fullPath);

  std::string directory_;
  std::string fileName_;
  Steps steps_;
  std::unique_ptr<DirectoryWatcher> watcher_;
};

}  // namespace quillbrook
