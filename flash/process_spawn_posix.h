// process_spawn_posix.h: starts a program directly, never through a shell, and reaps it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace quillbrook {

struct SpawnOptions {
  // Descriptors that become the child's standard input, output and error; -1 passes on ours.
  int standardInput = -1;
  int standardOutput = -1;
  int standardError = -1;
  // Puts the child into a new process group led by itself, so that it can be killed together
  // with whatever it starts.
  bool ownProcessGroup = false;
};

struct SpawnResult {
  pid_t pid = -1;
  int error = 0;  // an errno value; 0 when the program was started
};

// Starts argv[0], a full path, with arguments argv and our environment and current directory.
// The child inherits no descriptor besides 0, 1 and 2, no blocked signal, and SIGPIPE at its
// default even if we ignore it. A file that cannot be executed is an error, never a shell script.
SpawnResult SpawnProgram(const std::vector<std::string>& argv, const SpawnOptions& options);

// Waits until child `pid` has ended and reaps it, also across interrupting signals. False when
// `pid` is no child of ours (any more).
bool ReapChild(pid_t pid);

}  // namespace quillbrook
