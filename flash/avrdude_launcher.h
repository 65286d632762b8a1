// avrdude_launcher.h: starts avrdude with the expanded template, its log on screen or hidden.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace quillbrook {

enum class LaunchResult {
  kStarted,           // avrdude was started (with log: and has ended since)
  kAvrdudeNotFound,   // nothing was started
  kTerminalNotFound,  // with log only; nothing was started
  kInvalidArguments,  // an argument holds a NUL, which no program can receive; nothing started
  kStartFailed,       // pipes, process or reader could not be created; nothing is left running
};

struct LaunchEvents {
  // A run with log has ended. Raised on the thread that called LaunchWithLog, before it returns.
  std::function<void()> avrdudeEnded;
  // A chunk (1 to 1024 bytes) of the error output of a run without log. Raised on that run's
  // reader thread; it must not wait for the launching thread, which joins the reader when it ends
  // the run.
  std::function<void(std::string chunk)> errorOutputArrived;
};

struct LaunchEnvironment {
  std::string programDirectory;  // searched first, for avrdude and the terminal alike
  std::string path;              // then the directories of this PATH value
  std::string terminal;          // the preferred terminal emulator ($TERMINAL); empty: none
};

// The environment of this process: PATH (the system's default search path when PATH is unset)
// and TERMINAL, with the given directory of our own program.
LaunchEnvironment ReadLaunchEnvironment(std::string programDirectory);

// Runs avrdude with flashArgs, the expanded template. avrdude is looked up as a full path before
// anything starts; the arguments are split from the command line "avrdude <flashArgs>" by the
// Windows C runtime's rules and given to avrdude directly, never to a shell. avrdude inherits our
// environment and current directory. Neither launch reports avrdude's own success or failure, and
// a launch that starts nothing raises no event.
class AvrdudeLauncher {
 public:
  virtual ~AvrdudeLauncher() = default;

  // Runs avrdude inside a terminal emulator so that its log is on screen, waits until that
  // terminal has ended and raises avrdudeEnded. The command line is stripped of leading and
  // trailing blanks and control characters first.
  virtual LaunchResult LaunchWithLog(const std::string& flashArgs) = 0;

  // Ends the run without log that is still recorded, if any (its process group is killed), then
  // starts avrdude with its output on pipes, records the run and returns at once. Every chunk of
  // error output raises errorOutputArrived; the standard output is thrown away. Destroying the
  // launcher ends the recorded run the same way.
  virtual LaunchResult LaunchWithoutLog(const std::string& flashArgs) = 0;
};

// The launcher of this platform.
std::unique_ptr<AvrdudeLauncher> CreateAvrdudeLauncher(LaunchEnvironment environment,
                                                       LaunchEvents events);

}  // namespace quillbrook
