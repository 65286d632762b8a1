// reference_flasher.cpp: the bare way from a write of the HEX file to avrdude's start, the
// reference of the program's write-to-avrdude path: an inotify watch, the same two delays as two
// plain sleeps, and a direct spawn.
//
// Usage: reference_flasher DIRECTORY NAME PROGRAM RECORD_FILE
// Prints "ready" once the watch is in place. On every write of DIRECTORY/NAME it waits 2000 ms,
// then 100 ms, drops what was reported meanwhile (the same write, reported again), and starts
// PROGRAM with QUILLBROOK_BENCH_START_RECORD=RECORD_FILE added to its environment and its output
// thrown away. Runs until it is terminated.
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

extern char** environ;

namespace {

// Reads what is queued; true when a modification of `name` was among it.
bool NameWasWritten(int inotify, const std::string& name) {
  alignas(inotify_event) std::array<char, 4096> buffer;
  bool written = false;
  while (true) {
    const ssize_t length = ::read(inotify, buffer.data(), buffer.size());
    if (length <= 0) {
      return written;  // EAGAIN: the queue is empty
    }
    for (ssize_t offset = 0; offset < length;) {
      inotify_event event;
      std::memcpy(&event, buffer.data() + offset, sizeof event);
      written = written || (event.len > 0 && (event.mask & IN_MODIFY) != 0 &&
                            name == buffer.data() + offset + sizeof event);
      offset += static_cast<ssize_t>(sizeof event + event.len);
    }
  }
}

void SleepFor(long milliseconds) {
  timespec left{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
  while (::clock_nanosleep(CLOCK_MONOTONIC, 0, &left, &left) == EINTR) {
  }
}

bool Spawn(const std::string& program, const std::string& record) {
  std::vector<std::string> environment{"QUILLBROOK_BENCH_START_RECORD=" + record};
  for (char** variable = environ; *variable != nullptr; ++variable) {
    environment.emplace_back(*variable);
  }
  std::vector<char*> envp;
  for (std::string& variable : environment) {
    envp.push_back(variable.data());
  }
  envp.push_back(nullptr);
  std::string name = program;
  char* argv[] = {name.data(), nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t child = 0;
  const int error = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) {
    return false;
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 5) {
    std::cerr << "usage: reference_flasher DIRECTORY NAME PROGRAM RECORD_FILE\n";
    return 2;
  }
  const std::string directory = argv[1];
  const std::string name = argv[2];
  const std::string program = argv[3];
  const std::string record = argv[4];

  const int inotify = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (inotify < 0 || ::inotify_add_watch(inotify, directory.c_str(), IN_MODIFY) < 0) {
    std::cerr << "reference_flasher: cannot watch " << directory << '\n';
    return 1;
  }
  std::cout << "ready" << std::endl;
  pollfd wait{inotify, POLLIN, 0};
  while (true) {
    if (::poll(&wait, 1, -1) < 0 && errno != EINTR) {
      return 1;
    }
    if (!NameWasWritten(inotify, name)) {
      continue;
    }
    SleepFor(2000);
    SleepFor(100);
    NameWasWritten(inotify, name);
    if (!Spawn(program, record)) {
      std::cerr << "reference_flasher: cannot start " << program << '\n';
      return 1;
    }
  }
}
