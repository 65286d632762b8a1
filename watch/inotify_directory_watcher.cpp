// inotify_directory_watcher.cpp: the directory watcher on Linux inotify, one worker thread per
// watch.
#include "watch/inotify_directory_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "app/unique_fd.h"
#include "watch/inotify_batch.h"

namespace quillbrook {
namespace {

// IN_MODIFY is the write itself. IN_DELETE_SELF and IN_MOVE_SELF tell that the directory went
// away (IN_IGNORED and IN_UNMOUNT come unasked). IN_ONLYDIR refuses anything but a directory.
// IN_EXCL_UNLINK: writes into a file deleted while still open concern no name in the directory.
constexpr std::uint32_t kWatchMask =
    IN_MODIFY | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR | IN_EXCL_UNLINK;

// Large enough for many events per read; one event takes at most 16 + 256 bytes.
constexpr std::size_t kReadBufferSize = 4096;

std::string WithTrailingSlash(const std::string& directory) {
  if (!directory.empty() && directory.back() == '/') {
    return directory;
  }
  return directory + '/';
}

// What one watch shares between its worker, the batches it has posted and the watcher. Stop sets
// `stopped` on the main thread, and every batch checks it there before each record, so nothing of
// a stopped watch reaches the handler, even from a batch that was queued before.
struct WatchState {
  explicit WatchState(std::shared_ptr<const DirectoryWatcher::ChangeHandler> handler)
      : onChange(std::move(handler)) {}

  bool IsStopped() {
    std::lock_guard lock(mutex);
    return stopped;
  }

  void MarkStopped() {
    {
      std::lock_guard lock(mutex);
      stopped = true;
    }
    changed.notify_all();
  }

  void FinishBatch() {
    {
      std::lock_guard lock(mutex);
      batchDone = true;
    }
    changed.notify_all();
  }

  const std::shared_ptr<const DirectoryWatcher::ChangeHandler> onChange;
  std::mutex mutex;
  std::condition_variable changed;
  bool stopped = false;
  bool batchDone = false;
};

// Runs on the main thread.
void Deliver(WatchState& watch, const std::vector<ChangeRecord>& records) {
  for (const ChangeRecord& record : records) {
    if (watch.IsStopped()) {
      break;
    }
    (*watch.onChange)(record.action, record.fullPath);
  }
  watch.FinishBatch();
}

// Posts the batch and waits until the main thread has run it or the watch is stopped. False when
// the watch was stopped.
bool HandOver(MainThread& mainThread, const std::shared_ptr<WatchState>& watch,
              std::vector<ChangeRecord> records) {
  {
    std::lock_guard lock(watch->mutex);
    if (watch->stopped) {
      return false;
    }
    watch->batchDone = false;
  }
  mainThread.Post([watch, records = std::move(records)] { Deliver(*watch, records); });
  std::unique_lock lock(watch->mutex);
  watch->changed.wait(lock, [&] { return watch->batchDone || watch->stopped; });
  return !watch->stopped;
}

// The worker of one watch. It ends when woken through wakeFd, when the watch is stopped during a
// hand-over, when the directory goes away, or when the descriptor fails; the last two leave the
// watch silent until the next Start.
void RunWorker(MainThread& mainThread, std::shared_ptr<WatchState> watch, int inotifyFd, int wakeFd,
               std::string directory) {
  alignas(inotify_event) std::array<std::byte, kReadBufferSize> buffer;
  std::array<pollfd, 2> fds{{{inotifyFd, POLLIN, 0}, {wakeFd, POLLIN, 0}}};
  for (;;) {
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return;
    }
    if (fds[1].revents != 0 || (fds[0].revents & POLLIN) == 0) {
      return;
    }
    const ssize_t got = ::read(inotifyFd, buffer.data(), buffer.size());
    if (got <= 0) {
      if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        continue;
      }
      return;
    }
    InotifyBatch batch = DecodeInotifyBatch(
        std::span<const std::byte>(buffer.data(), static_cast<std::size_t>(got)), directory);
    if (!batch.records.empty() && !HandOver(mainThread, watch, std::move(batch.records))) {
      return;
    }
    if (batch.watchEnded) {
      return;
    }
  }
}

}  // namespace

struct InotifyDirectoryWatcher::Running {
  Running(UniqueFd inotify, UniqueFd wake, std::shared_ptr<WatchState> state)
      : inotifyFd(std::move(inotify)), wakeFd(std::move(wake)), watch(std::move(state)) {}

  UniqueFd inotifyFd;
  UniqueFd wakeFd;
  std::shared_ptr<WatchState> watch;
  std::thread worker;
};

InotifyDirectoryWatcher::InotifyDirectoryWatcher(MainThread& mainThread, ChangeHandler onChange)
    : mainThread_(mainThread),
      onChange_(std::make_shared<const ChangeHandler>(std::move(onChange))) {}

InotifyDirectoryWatcher::~InotifyDirectoryWatcher() {
  Stop();
}

bool InotifyDirectoryWatcher::Start(const std::string& directory) {
  Stop();
  UniqueFd inotifyFd(::inotify_init1(IN_CLOEXEC | IN_NONBLOCK));
  if (!inotifyFd.valid() ||
      ::inotify_add_watch(inotifyFd.get(), directory.c_str(), kWatchMask) < 0) {
    return false;
  }
  UniqueFd wakeFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!wakeFd.valid()) {
    return false;
  }
  auto running = std::make_unique<Running>(std::move(inotifyFd), std::move(wakeFd),
                                           std::make_shared<WatchState>(onChange_));
  try {
    running->worker =
        std::thread(RunWorker, std::ref(mainThread_), running->watch, running->inotifyFd.get(),
                    running->wakeFd.get(), WithTrailingSlash(directory));
  } catch (const std::system_error&) {
    return false;
  }
  running_ = std::move(running);
  return true;
}

void InotifyDirectoryWatcher::Stop() {
  if (!running_) {
    return;
  }
  const std::unique_ptr<Running> running = std::move(running_);
  running->watch->MarkStopped();
  // A fresh eventfd's counter is 0, so adding 1 cannot fail; the worker may also be gone already.
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = ::write(running->wakeFd.get(), &one, sizeof one);
  running->worker.join();
}

}  // namespace quillbrook
