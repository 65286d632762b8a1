// avrdude_launcher_posix.h: the avrdude launcher on Linux: a terminal for the log, pipes without.
#pragma once

#include <memory>
#include <string>

#include "flash/avrdude_launcher.h"
#include "flash/hidden_run_posix.h"

namespace quillbrook {

// Call it from one thread only (the main thread); the events say on which threads they come.
class PosixAvrdudeLauncher final : public AvrdudeLauncher {
 public:
  PosixAvrdudeLauncher(LaunchEnvironment environment, LaunchEvents events);
  ~PosixAvrdudeLauncher() override;

  PosixAvrdudeLauncher(const PosixAvrdudeLauncher&) = delete;
  PosixAvrdudeLauncher& operator=(const PosixAvrdudeLauncher&) = delete;

  LaunchResult LaunchWithLog(const std::string& flashArgs) override;
  LaunchResult LaunchWithoutLog(const std::string& flashArgs) override;

 private:
  const LaunchEnvironment environment_;
  const LaunchEvents events_;
  std::unique_ptr<PosixHiddenRun> hiddenRun_;  // the run without log, while one is recorded
};

}  // namespace quillbrook
