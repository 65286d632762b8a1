// start_recorder.cpp: stands in for avrdude in the benches: notes the moment it was started,
// writes one line of error output, as avrdude always does, and ends.
//
// The moment (CLOCK_MONOTONIC, in nanoseconds, one line per start) is appended to the file named
// by QUILLBROOK_BENCH_START_RECORD. It is taken first thing, so the figure holds what it took to
// get this program running, as it would for avrdude.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string_view>

int main() {
  timespec started{};
  ::clock_gettime(CLOCK_MONOTONIC, &started);
  const char* record = std::getenv("QUILLBROOK_BENCH_START_RECORD");
  if (record == nullptr) {
    return 2;
  }
  char line[32];
  const int length = std::snprintf(line, sizeof line, "%lld\n",
                                   static_cast<long long>(started.tv_sec) * 1000000000LL +
                                       static_cast<long long>(started.tv_nsec));
  const int file = ::open(record, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  // One write of the whole line, so that starts recorded at the same moment cannot interleave.
  const bool recorded =
      file >= 0 && ::write(file, line, static_cast<std::size_t>(length)) == length;
  const bool closed = file >= 0 && ::close(file) == 0;
  constexpr std::string_view kOutput = "avrdude: stand-in of the benches, nothing flashed\n";
  const bool told = ::write(STDERR_FILENO, kOutput.data(), kOutput.size()) ==
                    static_cast<ssize_t>(kOutput.size());
  return recorded && closed && told ? 0 : 3;
}
