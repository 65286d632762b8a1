// scratch_files.cpp: real files for the watch tests: a temporary directory, writes with a known
// number of modifications, and counts of the process's threads and descriptors.
#include "tests/watch/scratch_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <system_error>
#include <utility>

namespace quillbrook::testing {
namespace {

bool WriteOnce(const std::filesystem::path& file, int flags, std::string_view content) {
  const int fd = ::open(file.c_str(), flags | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) {
    return false;
  }
  const ssize_t written = ::write(fd, content.data(), content.size());
  const bool closed = ::close(fd) == 0;
  return written == static_cast<ssize_t>(content.size()) && closed;
}

std::size_t CountEntries(const char* directory) {
  std::error_code error;
  std::filesystem::directory_iterator entries(directory, error);
  if (error) {
    throw std::system_error(error, directory);
  }
  return static_cast<std::size_t>(std::distance(entries, std::filesystem::directory_iterator()));
}

}  // namespace

bool WriteFile(const std::filesystem::path& file, std::string_view content) {
  return WriteOnce(file, O_CREAT | O_TRUNC, content);
}

bool AppendOnce(const std::filesystem::path& file, std::string_view content) {
  return WriteOnce(file, O_APPEND, content);
}

std::size_t CountThreads() {
  std::thread([] {}).join();
  return CountEntries("/proc/self/task");
}

std::size_t CountOpenDescriptors() {
  // The iterator's own descriptor is counted every time, so it cancels out of any comparison.
  return CountEntries("/proc/self/fd");
}

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) {
      return condition();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

Watchdog::Watchdog(std::chrono::milliseconds timeout, std::string message)
    : thread_([this, timeout, message = std::move(message)] {
        std::unique_lock lock(mutex_);
        if (!disarmed_.wait_for(lock, timeout, [this] { return done_; })) {
          std::fprintf(stderr, "watchdog: %s\n", message.c_str());
          std::abort();
        }
      }) {}

Watchdog::~Watchdog() {
  {
    std::lock_guard lock(mutex_);
    done_ = true;
  }
  disarmed_.notify_all();
  thread_.join();
}

}  // namespace quillbrook::testing
