// fake_launcher.cpp: an avrdude launcher that starts nothing, records launches, raises events.
#include "tests/support/fake_launcher.h"

#include <thread>

namespace quillbrook::testing {

LaunchResult FakeAvrdudeLauncher::LaunchWithLog(const std::string& flashArgs) {
  launches_.push_back(Launch{Kind::kWithLog, flashArgs, now_()});
  if (result != LaunchResult::kStarted) {
    return result;
  }
  if (whileRunning) {
    whileRunning();
  }
  if (events_.avrdudeEnded) {
    events_.avrdudeEnded();
  }
  return result;
}

LaunchResult FakeAvrdudeLauncher::LaunchWithoutLog(const std::string& flashArgs) {
  launches_.push_back(Launch{Kind::kWithoutLog, flashArgs, now_()});
  return result;
}

void FakeAvrdudeLauncher::EmitErrorOutputFromReaderThread(const std::string& chunk) {
  std::thread reader([this, chunk] {
    if (events_.errorOutputArrived) {
      events_.errorOutputArrived(chunk);
    }
  });
  reader.join();
}

void PrintTo(const FakeAvrdudeLauncher::Launch& launch, std::ostream* out) {
  *out << "{" << (launch.kind == FakeAvrdudeLauncher::Kind::kWithLog ? "with log" : "without log")
       << ", \"" << launch.flashArgs << "\", " << launch.at.count() << " ms}";
}

}  // namespace quillbrook::testing
