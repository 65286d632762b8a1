// start_up_flow_tests.cpp: the start-up sequence with every step real, and that it writes nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>

#include "tests/flows/program_rig.h"

namespace quillbrook {
namespace {

using ::testing::ElementsAre;
using testing::ProgramRig;

TEST(StartUpFlow, FillsTheWindowStepByStepInItsFixedOrder) {
  ProgramRig rig(ProgramRig::Watchers::kFake);
  const std::string hexFile = rig.HexFile("nano.hex");
  ASSERT_TRUE(
      rig.WriteSettings("[init]\ntype=nano\nauto=1\nconsol=0\n[Uno]\nport=/dev/ttyACM0\n"
                        "[Nano]\nport=/dev/ttyUSB1\nhex_file_path=" +
                        hexFile + "\n"));
  rig.Start();
  EXPECT_THAT(
      rig.journal.entries(),
      ElementsAre("TypeBox: clear", "TypeBox: select 1", "PortBox: clear", "PortBox: select 1",
                  "StatusPicture: 0", "HexWatch: start " + rig.hexDirectory(),
                  "HexPathEdit: set without echo \"" + hexFile + "\"", "LogShownButton: hidden",
                  "NoLogButton: visible", "AutoFlashButton: visible", "ManualFlashButton: hidden",
                  "collapse timer started", "overlay applied",
                  "SettingsWatch: start " + rig.settingsDirectory()));
  EXPECT_EQ(rig.typeBox.Text(), "Nano");
  EXPECT_EQ(rig.portBox.Text(), "/dev/ttyUSB1");
  EXPECT_EQ(rig.status.shown().at(0).hint, "No changes");
  EXPECT_EQ(rig.program().modes().autoMode(), 1);
  EXPECT_EQ(rig.program().modes().logMode(), 0);
}

struct StartCase {
  const char* name;
  std::optional<std::string> content;  // nullopt: no settings file at all; @ as below
  const char* type;                    // what TypeBox shows afterwards
  const char* port;                    // what PortBox shows afterwards
  const char* hexPath;                 // what HexPathEdit shows afterwards; @ is the HEX directory
};

void PrintTo(const StartCase& c, std::ostream* out) {
  *out << c.name;
}

class StartUpWritesNothingTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartUpWritesNothingTest, LeavesTheSettingsFileByteForByteAsItWas) {
  ProgramRig rig(ProgramRig::Watchers::kReal);
  const StartCase& c = GetParam();
  // The HEX paths of the cases lie in the rig's HEX directory.
  const auto inRig = [&](std::string text) {
    const std::string directory = rig.hexDirectory();
    for (std::size_t at = text.find('@'); at != std::string::npos;
         at = text.find('@', at + directory.size())) {
      text.replace(at, 1, directory);
    }
    return text;
  };
  const std::optional<std::string> content =
      c.content ? std::optional(inRig(*c.content)) : std::nullopt;
  if (content) {
    ASSERT_TRUE(rig.WriteSettings(*content));
  }
  rig.Start();
  // Everything the start-up set off has run, the settings watch's notifications included.
  ASSERT_TRUE(rig.Settle(rig.settingsDirectory()));
  EXPECT_EQ(rig.SettingsBytes(), content);
  EXPECT_EQ(rig.SettingsFileRecords(), 0);
  EXPECT_EQ(rig.TypeListLoads(), 1);
  EXPECT_EQ(rig.typeBox.Text(), c.type);
  EXPECT_EQ(rig.portBox.Text(), c.port);
  EXPECT_EQ(rig.hexPath.Text(), inRig(c.hexPath));
  EXPECT_EQ(rig.hexPath.echoedSets(), 0);
  EXPECT_EQ(rig.status.Current(), FlashState::kNoChanges);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartUpWritesNothingTest,
    ::testing::Values(
        StartCase{"Everything",
                  "[position]\nLeft=10\n[init]\ntype=Uno\nauto=1\nconsol=1\n"
                  "[Uno]\nport=/dev/ttyUSB1\nhex_file_path=@blink.hex\n",
                  "Uno", "/dev/ttyUSB1", "@blink.hex"},
        StartCase{"RememberedTypeGone", "[init]\ntype=Mega\n[Uno]\nhex_file_path=@blink.hex\n", "",
                  "/dev/ttyACM0", ""},
        StartCase{"RememberedPortGone",
                  "[init]\ntype=uno\n[Uno]\nport=/dev/ttyUSB0\nhex_file_path=@blink.hex\n", "Uno",
                  "", "@blink.hex"},
        StartCase{"NoTypeRemembered", "[Uno]\nport=/dev/ttyUSB1\nhex_file_path=@uno.hex\n[Mega]\n",
                  "Uno", "/dev/ttyUSB1", "@uno.hex"},
        StartCase{"ModesOutOfRange", "[init]\nauto=2\nconsol=7\n", "", "/dev/ttyACM0", ""},
        StartCase{"CrLfAndComments", "; mine\r\n[Uno]\r\nport = /dev/ttyUSB1 \r\n\r\n", "Uno",
                  "/dev/ttyUSB1", ""},
        StartCase{"EmptyFile", "", "", "/dev/ttyACM0", ""},
        StartCase{"NoFile", std::nullopt, "", "/dev/ttyACM0", ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quillbrook
