// fake_launcher.h: an avrdude launcher that starts nothing, records launches, raises events.
#pragma once

#include <chrono>
#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "flash/avrdude_launcher.h"

namespace quillbrook::testing {

class FakeAvrdudeLauncher : public AvrdudeLauncher {
 public:
  enum class Kind { kWithLog, kWithoutLog };
  struct Launch {
    Kind kind;
    std::string flashArgs;
    std::chrono::milliseconds at;

    bool operator==(const Launch&) const = default;
  };

  // now: the clock the moments are read from.
  FakeAvrdudeLauncher(LaunchEvents events, std::function<std::chrono::milliseconds()> now)
      : events_(std::move(events)), now_(std::move(now)) {}

  // Records the launch. When result is kStarted, runs whileRunning (the time avrdude's console is
  // open, during which the launching thread waits), then raises avrdudeEnded; otherwise raises
  // nothing, as a launch that starts nothing does.
  LaunchResult LaunchWithLog(const std::string& flashArgs) override;
  // Records the launch and returns at once.
  LaunchResult LaunchWithoutLog(const std::string& flashArgs) override;

  // Raises errorOutputArrived with chunk on a thread of its own, as the reader thread does, and
  // waits for that thread to end.
  void EmitErrorOutputFromReaderThread(const std::string& chunk);

  const std::vector<Launch>& launches() const { return launches_; }

  // What the next launches return.
  LaunchResult result = LaunchResult::kStarted;
  // Runs inside LaunchWithLog, before avrdudeEnded.
  std::function<void()> whileRunning;

 private:
  LaunchEvents events_;
  std::function<std::chrono::milliseconds()> now_;
  std::vector<Launch> launches_;
};

// How a failing check shows a launch.
void PrintTo(const FakeAvrdudeLauncher::Launch& launch, std::ostream* out);

}  // namespace quillbrook::testing
