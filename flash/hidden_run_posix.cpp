// hidden_run_posix.cpp: the run without log on Linux: pipes, a process group, pidfd and poll().
#include "flash/hidden_run_posix.h"

#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <array>
#include <optional>
#include <system_error>

#include "flash/process_spawn_posix.h"

namespace quillbrook {

namespace {

// Reads what one poll() reported. At end-of-file or on a read error the descriptor leaves the poll
// set (poll() ignores negative descriptors). Returns the number of bytes read, or 0.
std::size_t ReadReported(pollfd& watched, std::array<char, PosixHiddenRun::kChunkSize>& buffer) {
  const ssize_t count = ::read(watched.fd, buffer.data(), buffer.size());
  if (count > 0) {
    return static_cast<std::size_t>(count);
  }
  if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
    watched.fd = -1;
  }
  return 0;
}

// Through syscall(): the <sys/pidfd.h> of glibc 2.36 lacks the C linkage that C++ needs.
int OpenPidFd(pid_t pid) {
  return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
}

}  // namespace

PosixHiddenRun::PosixHiddenRun(pid_t pid, ErrorOutputHandler onErrorOutput)
    : pid_(pid), onErrorOutput_(std::move(onErrorOutput)) {}

std::unique_ptr<PosixHiddenRun> PosixHiddenRun::Start(const std::vector<std::string>& argv,
                                                      ErrorOutputHandler onErrorOutput) {
  std::optional<Pipe> input = OpenPipe();
  std::optional<Pipe> output = OpenPipe();
  std::optional<Pipe> error = OpenPipe();
  UniqueFd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!input || !output || !error || !wake.valid()) {
    return nullptr;
  }
  SpawnOptions options;
  options.standardInput = input->readEnd.get();
  options.standardOutput = output->writeEnd.get();
  options.standardError = error->writeEnd.get();
  options.ownProcessGroup = true;
  const SpawnResult spawned = SpawnProgram(argv, options);
  if (spawned.error != 0) {
    return nullptr;
  }

  // From here on the destructor kills and reaps the process if anything below fails.
  std::unique_ptr<PosixHiddenRun> run(new PosixHiddenRun(spawned.pid, std::move(onErrorOutput)));
  run->standardInput_ = std::move(input->writeEnd);
  run->standardOutput_ = std::move(output->readEnd);
  run->errorOutput_ = std::move(error->readEnd);
  run->wake_ = std::move(wake);
  // The child's ends are the child's now; our copies would keep its output from ever ending.
  input->readEnd.Reset();
  output->writeEnd.Reset();
  error->writeEnd.Reset();

  run->exitNotice_.Reset(OpenPidFd(spawned.pid));
  if (!run->exitNotice_.valid()) {
    return nullptr;
  }
  try {
    run->reader_ = std::thread(&PosixHiddenRun::ReadOutput, run.get());
  } catch (const std::system_error&) {
    return nullptr;
  }
  return run;
}

PosixHiddenRun::~PosixHiddenRun() {
  Kill();
  ending_.store(true);
  if (reader_.joinable()) {
    // Cannot fail: an eventfd write only fails when its counter would overflow, and this is the
    // one write it ever gets.
    ::eventfd_write(wake_.get(), 1);
    reader_.join();
  }
  // SIGKILL cannot be caught, so this wait is short.
  Reap();
}

void PosixHiddenRun::Kill() {
  const std::lock_guard lock(reapMutex_);
  if (reaped_) {
    return;
  }
  // The whole group, so that nothing avrdude started survives it holding the port.
  if (::killpg(pid_, SIGKILL) != 0) {
    ::kill(pid_, SIGKILL);
  }
}

void PosixHiddenRun::Reap() {
  const std::lock_guard lock(reapMutex_);
  if (reaped_) {
    return;
  }
  // False only when the system reaped it for us (SIGCHLD ignored): gone either way.
  ReapChild(pid_);
  reaped_ = true;
}

void PosixHiddenRun::ReadOutput() {
  enum : std::size_t { kErrorOutput, kStandardOutput, kExit, kWake, kWatchedCount };
  std::array<pollfd, kWatchedCount> watched{};
  watched[kErrorOutput] = {errorOutput_.get(), POLLIN, 0};
  watched[kStandardOutput] = {standardOutput_.get(), POLLIN, 0};
  watched[kExit] = {exitNotice_.get(), POLLIN, 0};
  watched[kWake] = {wake_.get(), POLLIN, 0};
  std::array<char, kChunkSize> buffer;

  while (watched[kErrorOutput].fd >= 0 || watched[kStandardOutput].fd >= 0 ||
         watched[kExit].fd >= 0) {
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      // Only a lack of kernel memory gets here; the run is cleaned up when it is ended.
      return;
    }
    if (watched[kWake].revents != 0) {
      return;
    }
    if (watched[kErrorOutput].revents != 0) {
      const std::size_t count = ReadReported(watched[kErrorOutput], buffer);
      if (count > 0 && onErrorOutput_ && !ending_.load()) {
        onErrorOutput_(std::string(buffer.data(), count));
      }
    }
    if (watched[kStandardOutput].revents != 0) {
      // Drained only so that avrdude never blocks on a full pipe; nobody reads its output.
      ReadReported(watched[kStandardOutput], buffer);
    }
    if (watched[kExit].revents != 0) {
      Reap();
      watched[kExit].fd = -1;
    }
  }
}

}  // namespace quillbrook
