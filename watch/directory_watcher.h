// directory_watcher.h: watches one directory for writes to its files and reports them on the main
// thread.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/main_thread.h"

namespace quillbrook {

// The action code of a change record. The numbers are those of the Windows change records, so that
// every backend reports the same codes. The inotify backend reports only kChangesLost and
// kFileModified: creations, removals and renames are never reported.
enum ChangeAction : int {
  kChangesLost = 0,  // the system dropped changes (its queue overflowed); the name part is empty
  kFileAdded = 1,
  kFileRemoved = 2,
  kFileModified = 3,
  kFileRenamedFrom = 4,
  kFileRenamedTo = 5,
};

// One change, as the change handler receives it. fullPath is the watched directory, with '/'
// appended unless it ends in one, followed by the file's name.
struct ChangeRecord {
  int action = kChangesLost;
  std::string fullPath;

  bool operator==(const ChangeRecord&) const = default;
};

// Watches a single directory, without its subdirectories, for writes to the files in it. A worker
// thread waits for the system's notifications and hands each batch of records to the main thread,
// where the change handler runs once per record, in the order the changes happened; the worker
// waits until the main thread has run the whole batch, every reaction included.
//
// Start and Stop belong to the main thread, and may also be called from inside the change handler:
// delivery then ends after the current record. The handler may even destroy the watcher.
class DirectoryWatcher {
 public:
  using ChangeHandler = std::function<void(int action, const std::string& fullPath)>;

  virtual ~DirectoryWatcher() = default;

  // Stops the running watch, then watches directory (resolved against the current directory when
  // relative). Returns at once. True when the watch is in place: every write made after Start
  // returns is reported. False when the directory is missing, is not a directory or cannot be
  // watched; the watcher is then idle until the next Start. When the directory is later removed or
  // moved away, the watch goes silent until the next Start.
  virtual bool Start(const std::string& directory) = 0;

  // Ends the running watch, if any, without waiting for the main thread (which is the thread
  // running it). After it returns, the change handler sees nothing more of that watch, not even of
  // a batch already queued on the main thread. Also run by the destructor.
  virtual void Stop() = 0;
};

// The watcher of this platform. mainThread must outlive it.
std::unique_ptr<DirectoryWatcher> CreateDirectoryWatcher(MainThread& mainThread,
                                                         DirectoryWatcher::ChangeHandler onChange);

}  // namespace quillbrook
