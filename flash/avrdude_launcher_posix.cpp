// avrdude_launcher_posix.cpp: the two ways of running avrdude on Linux, and their environment.
#include "flash/avrdude_launcher_posix.h"

#include <stdlib.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "flash/command_line.h"
#include "flash/process_spawn_posix.h"
#include "flash/program_lookup.h"

namespace quillbrook {

namespace {

bool AnyHoldsNul(const std::vector<std::string>& words) {
  return std::any_of(words.begin(), words.end(),
                     [](const std::string& word) { return word.find('\0') != std::string::npos; });
}

// The search path a program gets from the system when PATH is unset, as execvp uses it.
std::string DefaultSearchPath() {
  const std::size_t size = ::confstr(_CS_PATH, nullptr, 0);
  if (size == 0) {
    return {};
  }
  std::string path(size, '\0');
  ::confstr(_CS_PATH, path.data(), size);
  path.resize(size - 1);  // the terminating NUL
  return path;
}

}  // namespace

LaunchEnvironment ReadLaunchEnvironment(std::string programDirectory) {
  LaunchEnvironment environment;
  environment.programDirectory = std::move(programDirectory);
  const char* path = ::getenv("PATH");
  environment.path = path != nullptr ? std::string(path) : DefaultSearchPath();
  if (const char* terminal = ::getenv("TERMINAL")) {
    environment.terminal = terminal;
  }
  return environment;
}

PosixAvrdudeLauncher::PosixAvrdudeLauncher(LaunchEnvironment environment, LaunchEvents events)
    : environment_(std::move(environment)), events_(std::move(events)) {}

// A hanging avrdude must not outlive the program.
PosixAvrdudeLauncher::~PosixAvrdudeLauncher() {
  hiddenRun_.reset();
}

LaunchResult PosixAvrdudeLauncher::LaunchWithLog(const std::string& flashArgs) {
  const std::optional<std::string> avrdude =
      FindProgram(kAvrdudeProgramName, environment_.programDirectory, environment_.path);
  if (!avrdude) {
    return LaunchResult::kAvrdudeNotFound;
  }
  const std::optional<std::string> terminal =
      FindTerminalEmulator(environment_.terminal, environment_.programDirectory, environment_.path);
  if (!terminal) {
    return LaunchResult::kTerminalNotFound;
  }
  const std::vector<std::string> arguments =
      AvrdudeArguments(flashArgs, CommandLineForm::kStripped);
  if (AnyHoldsNul(arguments)) {
    return LaunchResult::kInvalidArguments;
  }
  std::vector<std::string> argv{*terminal, "-e", *avrdude};
  argv.insert(argv.end(), arguments.begin(), arguments.end());

  const SpawnResult spawned = SpawnProgram(argv, SpawnOptions{});
  if (spawned.error != 0) {
    return LaunchResult::kStartFailed;
  }
  // How the terminal ended (or whether someone else reaped it) does not matter: it has ended.
  ReapChild(spawned.pid);
  if (events_.avrdudeEnded) {
    events_.avrdudeEnded();
  }
  return LaunchResult::kStarted;
}

LaunchResult PosixAvrdudeLauncher::LaunchWithoutLog(const std::string& flashArgs) {
  // The earlier run ends first, even if this one cannot start: only one avrdude may hold the port.
  hiddenRun_.reset();

  const std::optional<std::string> avrdude =
      FindProgram(kAvrdudeProgramName, environment_.programDirectory, environment_.path);
  if (!avrdude) {
    return LaunchResult::kAvrdudeNotFound;
  }
  const std::vector<std::string> arguments = AvrdudeArguments(flashArgs, CommandLineForm::kAsBuilt);
  if (AnyHoldsNul(arguments)) {
    return LaunchResult::kInvalidArguments;
  }
  std::vector<std::string> argv{*avrdude};
  argv.insert(argv.end(), arguments.begin(), arguments.end());

  hiddenRun_ = PosixHiddenRun::Start(argv, events_.errorOutputArrived);
  return hiddenRun_ ? LaunchResult::kStarted : LaunchResult::kStartFailed;
}

}  // namespace quillbrook
