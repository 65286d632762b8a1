// inotify_batch.h: turns the bytes of one read of an inotify descriptor into one batch of change
// records.
#pragma once

#include <cstddef>
#include <span>
#include <string>
#include <vector>

#include "watch/directory_watcher.h"

namespace quillbrook {

struct InotifyBatch {
  std::vector<ChangeRecord> records;
  // The watched directory is gone (removed, moved away or on a file system being unmounted):
  // nothing more will come for it.
  bool watchEnded = false;
};

// Decodes the events of a descriptor that holds one watch, on directory (which ends in '/'). A
// modification of a file directly in the directory gives kFileModified with the file's full path;
// a queue overflow gives one kChangesLost record with the directory as its full path. Everything
// else, subdirectories included, gives nothing. Events after the end of the watch are dropped: a
// directory moved away no longer lies at the path the records would name. A truncated event at
// the end of bytes is ignored.
InotifyBatch DecodeInotifyBatch(std::span<const std::byte> bytes, const std::string& directory);

}  // namespace quillbrook
