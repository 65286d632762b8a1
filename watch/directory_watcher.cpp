// directory_watcher.cpp: picks the directory watcher of the platform; the only place that knows it.
#include "watch/directory_watcher.h"

#include "watch/inotify_directory_watcher.h"

namespace quillbrook {

std::unique_ptr<DirectoryWatcher> CreateDirectoryWatcher(MainThread& mainThread,
                                                         DirectoryWatcher::ChangeHandler onChange) {
  return std::make_unique<InotifyDirectoryWatcher>(mainThread, std::move(onChange));
}

}  // namespace quillbrook
