// hex_watch.h: watches the directory of the HEX file and tells when that file is written.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/main_thread.h"
#include "watch/directory_watcher.h"

namespace quillbrook {

// Holds the directory and the name of the last HEX path and raises hexChanged, on the main thread,
// once for every modification record of exactly that name (letter case counts). Renames onto the
// name are not modifications, so a file swapped in by rename raises nothing until it is written.
class HexWatch {
 public:
  using WatcherFactory =
      std::function<std::unique_ptr<DirectoryWatcher>(DirectoryWatcher::ChangeHandler)>;

  // Watches through this platform's directory watcher, which hands its batches to mainThread.
  HexWatch(MainThread& mainThread, std::function<void()> hexChanged);
  // Watches through the watcher that createWatcher returns; it is called once, here.
  HexWatch(const WatcherFactory& createWatcher, std::function<void()> hexChanged);

  HexWatch(const HexWatch&) = delete;
  HexWatch& operator=(const HexWatch&) = delete;

  // Takes path as the HEX path and replaces the running watch with one on its directory (see
  // SplitPath), also when the directory is the same. The path is not checked otherwise. An empty
  // path only stops the watch. True when the directory is now being watched.
  bool RestartHexWatch(std::string_view path);
  void Stop();

  const std::string& hexDirectory() const { return hexDirectory_; }
  const std::string& hexName() const { return hexName_; }

 private:
  void OnChange(int action, const std::string& fullPath);

  std::function<void()> hexChanged_;
  std::string hexDirectory_;
  std::string hexName_;
  // Last, so that it is destroyed, and the watch stopped, before the state its handler reads.
  std::unique_ptr<DirectoryWatcher> watcher_;
};

}  // namespace quillbrook
