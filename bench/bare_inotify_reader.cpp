// bare_inotify_reader.cpp: one inotify watch and a thread blocked in reading it.
#include "bench/bare_inotify_reader.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstring>

namespace quillbrook::bench {

bool BareInotifyReader::Start(const std::string& directory) {
  Stop();
  inotify_.Reset(::inotify_init1(IN_CLOEXEC));
  wake_.Reset(::eventfd(0, EFD_CLOEXEC));
  if (!inotify_.valid() || !wake_.valid() ||
      ::inotify_add_watch(inotify_.get(), directory.c_str(), IN_MODIFY) < 0) {
    inotify_.Reset();
    wake_.Reset();
    return false;
  }
  reader_ = std::thread([this] { Read(); });
  return true;
}

void BareInotifyReader::Stop() {
  if (!reader_.joinable()) {
    return;
  }
  const std::uint64_t one = 1;
  // Should the write fail, the reader could not be woken; there is no way on but to wait for it,
  // and an eventfd that exists takes this write.
  [[maybe_unused]] const ssize_t written = ::write(wake_.get(), &one, sizeof one);
  reader_.join();
  inotify_.Reset();
  wake_.Reset();
}

void BareInotifyReader::Read() {
  alignas(inotify_event) std::array<char, 4096> buffer;
  std::array<pollfd, 2> waits{pollfd{inotify_.get(), POLLIN, 0}, pollfd{wake_.get(), POLLIN, 0}};
  while (true) {
    if (::poll(waits.data(), waits.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return;  // the bench then sees no more writes and reports the round as failed
    }
    if (waits[1].revents != 0) {
      return;
    }
    const ssize_t length = ::read(inotify_.get(), buffer.data(), buffer.size());
    const auto seen = std::chrono::steady_clock::now();
    for (ssize_t offset = 0; length > 0 && offset < length;) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + offset, sizeof event);
      if (event.len > 0 && (event.mask & IN_MODIFY) != 0) {
        onWrite_(std::string(buffer.data() + offset + sizeof event), seen);
      }
      offset += static_cast<ssize_t>(sizeof event + event.len);
    }
  }
}

}  // namespace quillbrook::bench
