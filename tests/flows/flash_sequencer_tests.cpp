// flash_sequencer_tests.cpp: when flashes start and end, and what the indicator shows, in time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "flash/flash_sequencer.h"
#include "tests/support/fake_launcher.h"
#include "tests/support/fake_main_thread.h"
#include "tests/support/fake_views.h"
#include "tests/support/virtual_clock.h"

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using testing::FakeAvrdudeLauncher;
using testing::FakeStatusView;
using ::testing::IsEmpty;
using Kind = FakeAvrdudeLauncher::Kind;
using Launch = FakeAvrdudeLauncher::Launch;

constexpr FlashState kNoChanges = FlashState::kNoChanges;
constexpr FlashState kDetected = FlashState::kChangesDetected;
constexpr FlashState kFlashing = FlashState::kFlashing;
constexpr FlashState kDone = FlashState::kDone;

// What each state's hint says, written out here rather than taken from the code under test.
std::string HintOf(FlashState state) {
  constexpr std::array<const char*, 4> kHints = {"No changes", "Changes detected!", "Flashing ...",
                                                 "Done"};
  return kHints[static_cast<std::size_t>(state)];
}

struct Step {
  std::chrono::milliseconds at;
  FlashState state;
  bool operator==(const Step&) const = default;
};

void PrintTo(const Step& step, std::ostream* out) {
  *out << "{" << step.at.count() << " ms, state " << static_cast<int>(step.state) << "}";
}

class FlashSequencerTest : public ::testing::Test {
 protected:
  // Every state shown so far, with its moment; each must have come with its own hint.
  std::vector<Step> Timeline() const {
    std::vector<Step> steps;
    for (const FakeStatusView::Shown& shown : status_.shown()) {
      EXPECT_EQ(shown.hint, HintOf(shown.state)) << "at " << shown.at.count() << " ms";
      steps.push_back(Step{shown.at, shown.state});
    }
    EXPECT_EQ(status_.strayHints(), 0);
    return steps;
  }
  const std::vector<Launch>& Launches() const { return launcher_.launches(); }

  void AdvanceTo(std::chrono::milliseconds moment) { clock_.Advance(moment - clock_.Now()); }
  void At(std::chrono::milliseconds moment, void (FlashSequencer::*event)()) {
    AdvanceTo(moment);
    (sequencer_.*event)();
  }
  // The arguments the fixture's sources expand to.
  std::string ArgsFor(const std::string& hexPath) const {
    return "-c arduino -P " + port_ + " -U flash:w:" + hexPath + ":i";
  }

  static constexpr auto kClick = &FlashSequencer::RequestFlash;
  static constexpr auto kHexChanged = &FlashSequencer::OnHexChanged;
  static constexpr auto kOutput = &FlashSequencer::OnErrorOutputArrived;

  testing::VirtualClock clock_;
  FakeStatusView status_{[this] { return clock_.Now(); }, nullptr};
  FakeAvrdudeLauncher launcher_{
      LaunchEvents{[this] { sequencer_.OnAvrdudeEnded(); },
                   [this](const std::string&) { sequencer_.OnErrorOutputArrived(); }},
      [this] { return clock_.Now(); }};

  std::string template_ = "-c arduino -P %1 -U flash:w:%2:i";
  std::string port_ = "/dev/ttyUSB0";
  std::string hexPath_ = "build/blink.hex";
  int autoMode_ = 0;
  int logMode_ = 0;
  int templateReads_ = 0;
  FlashSequencer sequencer_{
      clock_, launcher_, status_,
      FlashSources{[this] {
                     ++templateReads_;
                     return template_;
                   },
                   [this] { return port_; }, [this] { return hexPath_; },
                   [this] { return autoMode_; }, [this] { return logMode_; }}};
};

TEST_F(FlashSequencerTest, EveryStateShowsItsPictureAndTextEvenWhenAlreadyShown) {
  for (FlashState state : {kNoChanges, kNoChanges, kDetected, kFlashing, kDone, kDone}) {
    sequencer_.ShowFlashState(state);
  }
  EXPECT_THAT(Timeline(),
              ElementsAre(Step{0ms, kNoChanges}, Step{0ms, kNoChanges}, Step{0ms, kDetected},
                          Step{0ms, kFlashing}, Step{0ms, kDone}, Step{0ms, kDone}));
}

TEST_F(FlashSequencerTest, AutoModeWithoutLogFlashesARewriteAndEndsAfterTheOutputFallsQuiet) {
  autoMode_ = 1;
  At(0ms, kHexChanged);
  AdvanceTo(1999ms);
  EXPECT_EQ(templateReads_, 0);
  AdvanceTo(2099ms);
  EXPECT_THAT(Launches(), IsEmpty());
  AdvanceTo(2100ms);
  EXPECT_THAT(Launches(),
              ElementsAre(Launch{Kind::kWithoutLog, ArgsFor("build/blink.hex"), 2100ms}));
  // Each chunk of avrdude's error output starts the quiet time anew.
  At(2300ms, kOutput);
  At(3000ms, kOutput);
  At(4500ms, kOutput);
  AdvanceTo(6499ms);
  EXPECT_EQ(status_.Current(), kFlashing);
  AdvanceTo(20000ms);
  EXPECT_THAT(Timeline(), ElementsAre(Step{0ms, kDetected}, Step{2000ms, kFlashing},
                                      Step{6500ms, kDone}, Step{8500ms, kNoChanges}));
  EXPECT_EQ(Launches().size(), 1u);
}

TEST_F(FlashSequencerTest, ManualModeWithLogFlashesAtAClickAndEndsWithAvrdude) {
  logMode_ = 1;
  At(0ms, kHexChanged);
  AdvanceTo(5000ms);  // manual: the change is only shown
  At(5000ms, kClick);
  AdvanceTo(5099ms);
  EXPECT_THAT(Launches(), IsEmpty());
  AdvanceTo(20000ms);
  EXPECT_THAT(Launches(), ElementsAre(Launch{Kind::kWithLog, ArgsFor("build/blink.hex"), 5100ms}));
  EXPECT_THAT(Timeline(), ElementsAre(Step{0ms, kDetected}, Step{5000ms, kFlashing},
                                      Step{5100ms, kDone}, Step{7100ms, kNoChanges}));
}

TEST_F(FlashSequencerTest, ABurstOfNotificationsGivesOneRequestTwoSecondsAfterTheFirst) {
  autoMode_ = 1;
  At(0ms, kHexChanged);
  At(500ms, kHexChanged);
  At(1500ms, kHexChanged);
  AdvanceTo(2400ms);
  EXPECT_EQ(templateReads_, 1);
  // The delay has run out, so a fourth notification starts a wait of its own.
  At(2500ms, kHexChanged);
  AdvanceTo(4499ms);
  EXPECT_EQ(templateReads_, 1);
  AdvanceTo(4600ms);
  EXPECT_EQ(templateReads_, 2);
  EXPECT_THAT(Timeline(), ElementsAre(Step{0ms, kDetected}, Step{500ms, kDetected},
                                      Step{1500ms, kDetected}, Step{2000ms, kFlashing},
                                      Step{2500ms, kDetected}, Step{4500ms, kFlashing}));
  EXPECT_THAT(Launches(),
              ElementsAre(Launch{Kind::kWithoutLog, ArgsFor("build/blink.hex"), 2100ms},
                          Launch{Kind::kWithoutLog, ArgsFor("build/blink.hex"), 4600ms}));
}

class TwoClicksTest : public FlashSequencerTest, public ::testing::WithParamInterface<int> {};

TEST_P(TwoClicksTest, WithinTheLaunchDelayGiveOneLaunchWithTheSecondClicksArguments) {
  logMode_ = GetParam();
  At(0ms, kClick);
  hexPath_ = "build/second.hex";
  At(60ms, kClick);
  AdvanceTo(10000ms);
  EXPECT_EQ(templateReads_, 2);
  EXPECT_EQ(sequencer_.flashArgs(), ArgsFor("build/second.hex"));
  const Kind kind = logMode_ == 1 ? Kind::kWithLog : Kind::kWithoutLog;
  EXPECT_THAT(Launches(), ElementsAre(Launch{kind, ArgsFor("build/second.hex"), 100ms}));
  EXPECT_THAT(Timeline().front(), (Step{0ms, kFlashing}));
  EXPECT_THAT(Timeline().at(1), (Step{60ms, kFlashing}));
}

INSTANTIATE_TEST_SUITE_P(LogModes, TwoClicksTest, ::testing::Values(0, 1), [](const auto& info) {
  return info.param == 1 ? "WithLog" : "WithoutLog";
});

TEST_F(FlashSequencerTest, ARewriteDuringANoLogFlashIsShownAndFlashedAgainInAutoMode) {
  autoMode_ = 1;
  At(0ms, kClick);
  At(200ms, kOutput);
  At(1000ms, kHexChanged);
  At(1500ms, kOutput);  // the first avrdude is still writing: quiet until 3500
  hexPath_ = "build/rebuilt.hex";
  AdvanceTo(3500ms);  // the second launch at 3100 replaces the first avrdude
  At(3600ms, kOutput);
  AdvanceTo(20000ms);
  EXPECT_THAT(Launches(),
              ElementsAre(Launch{Kind::kWithoutLog, ArgsFor("build/blink.hex"), 100ms},
                          Launch{Kind::kWithoutLog, ArgsFor("build/rebuilt.hex"), 3100ms}));
  // The first run's quiet time ends while the second runs: "Done" is shown during it, as nothing
  // tells the two runs' output apart.
  EXPECT_THAT(Timeline(),
              ElementsAre(Step{0ms, kFlashing}, Step{1000ms, kDetected}, Step{3000ms, kFlashing},
                          Step{3500ms, kDone}, Step{5500ms, kNoChanges}, Step{5600ms, kDone},
                          Step{7600ms, kNoChanges}));
}

TEST_F(FlashSequencerTest, ARewriteInManualModeStaysShownUntilTheRunningFlashEnds) {
  At(0ms, kClick);
  At(200ms, kOutput);
  At(1000ms, kHexChanged);
  AdvanceTo(20000ms);
  EXPECT_EQ(Launches().size(), 1u);
  EXPECT_THAT(Timeline(), ElementsAre(Step{0ms, kFlashing}, Step{1000ms, kDetected},
                                      Step{2200ms, kDone}, Step{4200ms, kNoChanges}));
}

TEST_F(FlashSequencerTest, AClickDuringANoLogFlashStartsANewOneAndTheOldQuietTimeStillEnds) {
  At(0ms, kClick);
  At(150ms, kOutput);
  At(1000ms, kClick);  // the new avrdude writes nothing before the old quiet time ends
  AdvanceTo(20000ms);
  EXPECT_THAT(Launches(),
              ElementsAre(Launch{Kind::kWithoutLog, ArgsFor("build/blink.hex"), 100ms},
                          Launch{Kind::kWithoutLog, ArgsFor("build/blink.hex"), 1100ms}));
  EXPECT_THAT(Timeline(), ElementsAre(Step{0ms, kFlashing}, Step{1000ms, kFlashing},
                                      Step{2150ms, kDone}, Step{4150ms, kNoChanges}));
}

TEST_F(FlashSequencerTest, EventsArrivingDuringALogFlashAreHandledAfterDone) {
  logMode_ = 1;
  autoMode_ = 1;
  // The window's event queue: while avrdude's console is open, the main thread waits inside the
  // launch, and a click and a notification made meanwhile only queue up.
  testing::FakeMainThread events;
  launcher_.whileRunning = [&] {
    launcher_.whileRunning = nullptr;
    events.Post([&] { sequencer_.RequestFlash(); });
    events.Post([&] { sequencer_.OnHexChanged(); });
    EXPECT_EQ(status_.Current(), kFlashing);
  };
  At(0ms, kClick);
  AdvanceTo(100ms);
  EXPECT_EQ(status_.Current(), kDone);
  EXPECT_EQ(events.RunPending(), 2u);
  AdvanceTo(20000ms);
  EXPECT_THAT(Timeline(),
              ElementsAre(Step{0ms, kFlashing}, Step{100ms, kDone}, Step{100ms, kFlashing},
                          Step{100ms, kDetected}, Step{200ms, kDone}, Step{2100ms, kNoChanges},
                          Step{2100ms, kFlashing}, Step{2200ms, kDone}, Step{4200ms, kNoChanges}));
  EXPECT_EQ(Launches().size(), 3u);
}

class OtherLogModeTest : public FlashSequencerTest, public ::testing::WithParamInterface<int> {};

TEST_P(OtherLogModeTest, ComputesTheArgumentsButShowsAndLaunchesNothing) {
  logMode_ = GetParam();
  At(0ms, kClick);
  EXPECT_EQ(templateReads_, 1);
  EXPECT_EQ(sequencer_.flashArgs(), ArgsFor("build/blink.hex"));
  autoMode_ = 1;
  At(1000ms, kHexChanged);
  AdvanceTo(20000ms);
  EXPECT_EQ(templateReads_, 2);
  EXPECT_THAT(Launches(), IsEmpty());
  EXPECT_THAT(Timeline(), ElementsAre(Step{1000ms, kDetected}));
}

INSTANTIATE_TEST_SUITE_P(Values, OtherLogModeTest, ::testing::Values(2, -1, 100));

TEST_F(FlashSequencerTest, TheAutoModeCountsWhenTheDelayRunsOut) {
  autoMode_ = 1;
  At(0ms, kHexChanged);
  AdvanceTo(1000ms);
  autoMode_ = 0;  // switched to manual while the delay runs: no flash
  At(5000ms, kHexChanged);
  AdvanceTo(6999ms);
  autoMode_ = 1;  // switched to auto just before the delay ends: a flash
  AdvanceTo(7000ms);
  autoMode_ = 2;  // only exactly 1 flashes
  At(20000ms, kHexChanged);
  AdvanceTo(30000ms);
  EXPECT_THAT(Timeline(), ElementsAre(Step{0ms, kDetected}, Step{5000ms, kDetected},
                                      Step{7000ms, kFlashing}, Step{20000ms, kDetected}));
  EXPECT_EQ(templateReads_, 1);
}

TEST_F(FlashSequencerTest, TheLogModeCountsWhenTheFlashIsRequested) {
  At(0ms, kClick);
  logMode_ = 1;  // a switch after the request leaves the chosen launch as it was
  AdvanceTo(1000ms);
  EXPECT_THAT(Launches(),
              ElementsAre(Launch{Kind::kWithoutLog, ArgsFor("build/blink.hex"), 100ms}));
}

TEST_F(FlashSequencerTest, EachPathHasItsOwnLaunchDelayAndItsOwnDoneHold) {
  At(0ms, kClick);
  logMode_ = 1;
  At(50ms, kClick);  // the log delay starts although the no-log delay runs
  At(100ms, kOutput);
  AdvanceTo(1000ms);
  EXPECT_THAT(Launches(), ElementsAre(Launch{Kind::kWithoutLog, ArgsFor("build/blink.hex"), 100ms},
                                      Launch{Kind::kWithLog, ArgsFor("build/blink.hex"), 150ms}));
  AdvanceTo(20000ms);
  // The quiet time ends at 2100 while the log run's hold (until 2150) still runs: its own hold
  // starts all the same and brings "No changes" back 2000 ms later.
  EXPECT_THAT(Timeline(),
              ElementsAre(Step{0ms, kFlashing}, Step{50ms, kFlashing}, Step{150ms, kDone},
                          Step{2100ms, kDone}, Step{2150ms, kNoChanges}, Step{4100ms, kNoChanges}));
}

TEST_F(FlashSequencerTest, ALaunchThatStartsNothingOrAQuietAvrdudeLeavesFlashingShown) {
  launcher_.result = LaunchResult::kAvrdudeNotFound;
  logMode_ = 1;
  At(0ms, kClick);
  logMode_ = 0;
  At(1000ms, kClick);  // started, but it never writes to its error output
  launcher_.result = LaunchResult::kStarted;
  At(5000ms, kClick);
  AdvanceTo(60000ms);
  EXPECT_EQ(Launches().size(), 3u);
  EXPECT_THAT(Timeline(),
              ElementsAre(Step{0ms, kFlashing}, Step{1000ms, kFlashing}, Step{5000ms, kFlashing}));
}

}  // namespace
}  // namespace quillbrook
