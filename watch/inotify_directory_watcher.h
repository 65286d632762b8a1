// inotify_directory_watcher.h: the directory watcher on Linux inotify, one worker thread per watch.
#pragma once

#include <memory>
#include <string>

#include "app/main_thread.h"
#include "watch/directory_watcher.h"

namespace quillbrook {

// Start opens the inotify watch itself, so a false result is known at once and nothing written
// after Start returns is missed. Between changes the worker sleeps in poll() without a time-out;
// Stop wakes it through an eventfd, or through the hand-over's condition variable when it waits
// for the main thread, and joins it.
class InotifyDirectoryWatcher : public DirectoryWatcher {
 public:
  InotifyDirectoryWatcher(MainThread& mainThread, ChangeHandler onChange);
  ~InotifyDirectoryWatcher() override;

  InotifyDirectoryWatcher(const InotifyDirectoryWatcher&) = delete;
  InotifyDirectoryWatcher& operator=(const InotifyDirectoryWatcher&) = delete;

  bool Start(const std::string& directory) override;
  void Stop() override;

 private:
  struct Running;

  MainThread& mainThread_;
  // Shared with every batch in flight, so a handler that destroys this watcher is not itself
  // destroyed while it runs.
  std::shared_ptr<const ChangeHandler> onChange_;
  std::unique_ptr<Running> running_;
};

}  // namespace quillbrook
