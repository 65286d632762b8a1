// scratch_files.h: real files for the watch tests: a temporary directory, writes with a known
// number of modifications, and counts of the process's threads and descriptors.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "tests/support/temp_dir.h"

namespace quillbrook::testing {

// Creates the file, or empties it, and writes content in one write call. A new file gets exactly
// one modification; an existing non-empty one gets a second for the emptying.
bool WriteFile(const std::filesystem::path& file, std::string_view content);
// Adds content to an existing file in one write call: exactly one modification.
bool AppendOnce(const std::filesystem::path& file, std::string_view content);

// The threads of this process. The first thread a process creates may bring a helper thread of
// the runtime along (ThreadSanitizer's), so the count first creates and joins one.
std::size_t CountThreads();
std::size_t CountOpenDescriptors();

// Checks condition until it holds or timeout passes, for conditions no one signals (a thread that
// has ended). Returns condition().
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout);

// Ends the process with message unless destroyed within timeout: turns a hang into a failure.
class Watchdog {
 public:
  Watchdog(std::chrono::milliseconds timeout, std::string message);
  ~Watchdog();
  Watchdog(const Watchdog&) = delete;
  Watchdog& operator=(const Watchdog&) = delete;

 private:
  std::mutex mutex_;
  std::condition_variable disarmed_;
  bool done_ = false;
  std::thread thread_;
};

}  // namespace quillbrook::testing
