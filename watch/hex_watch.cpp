// hex_watch.cpp: watches the directory of the HEX file and tells when that file is written.
#include "watch/hex_watch.h"

#include <utility>

#include "watch/path_split.h"

namespace quillbrook {

HexWatch::HexWatch(MainThread& mainThread, std::function<void()> hexChanged)
    : HexWatch(
          [&mainThread](DirectoryWatcher::ChangeHandler onChange) {
            return CreateDirectoryWatcher(mainThread, std::move(onChange));
          },
          std::move(hexChanged)) {}

HexWatch::HexWatch(const WatcherFactory& createWatcher, std::function<void()> hexChanged)
    : hexChanged_(std::move(hexChanged)),
      watcher_(createWatcher(
          [this](int action, const std::string& fullPath) { OnChange(action, fullPath); })) {}

bool HexWatch::RestartHexWatch(std::string_view path) {
  PathParts parts = SplitPath(path);
  hexDirectory_ = std::move(parts.directory);
  hexName_ = std::move(parts.name);
  if (hexDirectory_.empty()) {
    watcher_->Stop();
    return false;
  }
  return watcher_->Start(hexDirectory_);
}

void HexWatch::Stop() {
  watcher_->Stop();
}

void HexWatch::OnChange(int action, const std::string& fullPath) {
  if (action != kFileModified || hexName_.empty()) {
    return;
  }
  if (SplitPath(fullPath).name == hexName_ && hexChanged_) {
    hexChanged_();
  }
}

}  // namespace quillbrook
