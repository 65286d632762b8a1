// flash_flow_tests.cpp: whole flashes through the program, from a real HEX write to "No changes".
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/flows/program_rig.h"

namespace quillbrook {
namespace {

using namespace std::chrono_literals;
using ::testing::ElementsAre;
using testing::FakeAvrdudeLauncher;
using ::testing::IsEmpty;
using testing::ProgramRig;
using Kind = FakeAvrdudeLauncher::Kind;
using Launch = FakeAvrdudeLauncher::Launch;

class FlashFlowTest : public ::testing::Test {
 protected:
  // A board type whose template takes the port and the HEX path, with the two modes given.
  void StartWith(int autoMode, int logMode) {
    ASSERT_TRUE(rig_.WriteSettings(
        "[init]\ntype=Uno\nauto=" + std::to_string(autoMode) +
        "\nconsol=" + std::to_string(logMode) +
        "\n[Uno]\navrdude_param=-c arduino -p m328p -P %1 -b 115200 -U \"flash:w:%2:i\"\n"
        "port=/dev/ttyUSB1\nhex_file_path=" +
        hexFile_ + "\n"));
    rig_.Start();
  }
  std::string ExpectedArgs() const {
    return "-c arduino -p m328p -P /dev/ttyUSB1 -b 115200 -U \"flash:w:" + hexFile_ + ":i\"";
  }
  FlashState Shows() const { return rig_.status.Current(); }

  ProgramRig rig_{ProgramRig::Watchers::kReal};
  std::string hexFile_ = rig_.HexFile("blink.hex");
};

TEST_F(FlashFlowTest, ARewriteIsFlashedInAutoModeWithoutLogAndTheIndicatorFollows) {
  StartWith(1, 0);
  ASSERT_TRUE(testing::WriteBytes(hexFile_, ":00000001FF\n"));
  ASSERT_TRUE(rig_.RunUntil([&] { return Shows() == FlashState::kChangesDetected; }));
  // One write may bring several notifications; all of them are in before the clock moves on.
  ASSERT_TRUE(rig_.Settle(rig_.hexDirectory()));

  rig_.AdvanceTo(1999ms);
  EXPECT_EQ(Shows(), FlashState::kChangesDetected);
  rig_.AdvanceTo(2000ms);
  EXPECT_EQ(Shows(), FlashState::kFlashing);
  rig_.AdvanceTo(2099ms);
  EXPECT_THAT(rig_.launcher->launches(), IsEmpty());
  rig_.AdvanceTo(2100ms);
  EXPECT_THAT(rig_.launcher->launches(),
              ElementsAre(Launch{Kind::kWithoutLog, ExpectedArgs(), 2100ms}));

  // avrdude's error output arrives on the reader thread and is handed to the main thread.
  rig_.AdvanceTo(2500ms);
  rig_.launcher->EmitErrorOutputFromReaderThread("avrdude: AVR device initialized\n");
  EXPECT_EQ(rig_.main.RunPending(), 1u);
  rig_.AdvanceTo(4499ms);
  EXPECT_EQ(Shows(), FlashState::kFlashing);
  rig_.AdvanceTo(4500ms);
  EXPECT_EQ(Shows(), FlashState::kDone);
  rig_.AdvanceTo(6499ms);
  EXPECT_EQ(Shows(), FlashState::kDone);
  rig_.AdvanceTo(6500ms);
  EXPECT_EQ(Shows(), FlashState::kNoChanges);
  EXPECT_EQ(rig_.status.shown().back().hint, "No changes");
  EXPECT_EQ(rig_.launcher->launches().size(), 1u);
}

TEST_F(FlashFlowTest, AClickFlashesWithLogAndARewriteDuringTheRunIsShownAfterDone) {
  StartWith(0, 1);
  rig_.launcher->whileRunning = [&] {
    rig_.launcher->whileRunning = nullptr;
    // The main thread is held by the launch: the watch's notification can only queue up.
    ASSERT_TRUE(testing::WriteBytes(hexFile_, ":00000001FF\n"));
    ASSERT_TRUE(rig_.main.WaitForPending(1, testing::kPatience));
    EXPECT_EQ(Shows(), FlashState::kFlashing);
  };
  rig_.program().OnStatusPictureClicked();
  EXPECT_EQ(Shows(), FlashState::kFlashing);
  rig_.AdvanceTo(100ms);
  EXPECT_THAT(rig_.launcher->launches(),
              ElementsAre(Launch{Kind::kWithLog, ExpectedArgs(), 100ms}));
  EXPECT_EQ(Shows(), FlashState::kDone);
  ASSERT_TRUE(rig_.RunUntil([&] { return Shows() == FlashState::kChangesDetected; }));
  ASSERT_TRUE(rig_.Settle(rig_.hexDirectory()));
  // Manual mode: nothing more is flashed, and the log run's hold brings "No changes" back.
  rig_.AdvanceTo(2100ms);
  EXPECT_EQ(Shows(), FlashState::kNoChanges);
  rig_.AdvanceTo(10000ms);
  EXPECT_EQ(rig_.launcher->launches().size(), 1u);
}

TEST_F(FlashFlowTest, OutputHandedOverAfterTheProgramEndedIsDropped) {
  StartWith(0, 0);
  rig_.program().OnStatusPictureClicked();
  rig_.AdvanceTo(100ms);
  ASSERT_EQ(rig_.launcher->launches().size(), 1u);
  rig_.launcher->EmitErrorOutputFromReaderThread("avrdude: writing flash\n");
  const std::size_t shownBefore = rig_.status.shown().size();
  rig_.Destroy();
  EXPECT_EQ(rig_.main.RunPending(), 1u);
  rig_.AdvanceTo(10000ms);
  EXPECT_EQ(rig_.status.shown().size(), shownBefore);
}

}  // namespace
}  // namespace quillbrook
