// inotify_batch.cpp: turns the bytes of one read of an inotify descriptor into one batch of change
// records.
#include "watch/inotify_batch.h"

#include <sys/inotify.h>

#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillbrook {

InotifyBatch DecodeInotifyBatch(std::span<const std::byte> bytes, const std::string& directory) {
  constexpr std::uint32_t kEnded = IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT;
  InotifyBatch batch;
  std::size_t offset = 0;
  while (bytes.size() - offset >= sizeof(inotify_event)) {
    // Copied out rather than cast in place: the buffer owes the struct no alignment.
    inotify_event event;
    std::memcpy(&event, bytes.data() + offset, sizeof event);
    const std::size_t nameOffset = offset + sizeof event;
    if (event.len > bytes.size() - nameOffset) {
      break;
    }
    // The kernel pads the name with zero bytes up to len.
    const auto* nameBytes = reinterpret_cast<const char*>(bytes.data() + nameOffset);
    const std::string_view name(nameBytes, ::strnlen(nameBytes, event.len));
    offset = nameOffset + event.len;

    if ((event.mask & IN_Q_OVERFLOW) != 0) {
      batch.records.push_back({kChangesLost, directory});
    } else if ((event.mask & kEnded) != 0) {
      batch.watchEnded = true;
      break;
    } else if ((event.mask & IN_MODIFY) != 0 && (event.mask & IN_ISDIR) == 0 && !name.empty()) {
      batch.records.push_back({kFileModified, directory + std::string(name)});
    }
  }
  return batch;
}

}  // namespace quillbrook
