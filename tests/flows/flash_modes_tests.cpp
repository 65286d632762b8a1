// flash_modes_tests.cpp: the two mode switches, their buttons and stored values, across a restart.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "flash/flash_modes.h"
#include "settings/settings_file.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

namespace quillbrook {
namespace {

using ::testing::ElementsAre;
using testing::FakeModeButtons;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

struct StoredCase {
  const char* name;
  const char* content;
  int held;  // what both switches hold after the start-up
};

void PrintTo(const StoredCase& c, std::ostream* out) {
  *out << c.name;
}

class StoredModesTest : public ::testing::TestWithParam<StoredCase> {
 protected:
  TempDir dir_;
  std::string path_ = dir_.File("quillbrook.ini");
};

TEST_P(StoredModesTest, AreHeldAsReadAndShowTheirButtons) {
  const std::string content = GetParam().content;
  if (!content.empty()) {
    ASSERT_TRUE(WriteBytes(path_, content));
  }
  SettingsFile settings(path_);
  FakeModeButtons buttons(nullptr);
  FlashModes modes(settings, buttons);
  modes.ApplyLogModeAtStartUp();
  modes.ApplyAutoModeAtStartUp();

  const int held = GetParam().held;
  EXPECT_EQ(modes.autoMode(), held);
  EXPECT_EQ(modes.logMode(), held);
  EXPECT_EQ(buttons.IsVisible(ModeButton::kAutoFlash), held != 0);
  EXPECT_EQ(buttons.IsVisible(ModeButton::kManualFlash), held != 1);
  EXPECT_EQ(buttons.IsVisible(ModeButton::kLogShown), held != 0);
  EXPECT_EQ(buttons.IsVisible(ModeButton::kNoLog), held != 1);
  EXPECT_EQ(ReadBytes(path_), content.empty() ? std::nullopt : std::optional(content));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StoredModesTest,
    ::testing::Values(StoredCase{"NoFile", "", 0},
                      StoredCase{"NoInitSection", "[Uno]\nauto=1\nconsol=1\n", 0},
                      StoredCase{"Zero", "[init]\nauto=0\nconsol=0\n", 0},
                      StoredCase{"One", "[Init]\nauto=1\nconsol=1\n", 1},
                      StoredCase{"Two", "[INIT]\nauto=2\nconsol=2\n", 2},
                      StoredCase{"Negative", "[init]\nauto=-1\nconsol=-1\n", -1},
                      StoredCase{"NotANumber", "[init]\nauto=yes\nconsol=on\n", 0},
                      StoredCase{"NumberAndText", "[init]\nauto=1 (on)\nconsol=1x\n", 1}),
    [](const auto& info) { return std::string(info.param.name); });

class FlashModesTest : public ::testing::Test {
 protected:
  TempDir dir_;
  std::string path_ = dir_.File("quillbrook.ini");
  SettingsFile settings_{path_};
  FakeModeButtons buttons_{nullptr};
  FlashModes modes_{settings_, buttons_};
};

TEST_F(FlashModesTest, AClickStoresTheValueFirstThenShowsAndHoldsIt) {
  ASSERT_TRUE(WriteBytes(path_, "[Init]\ntype=Uno\nauto=2\n[Uno]\nauto=7\n"));
  modes_.ApplyAutoModeAtStartUp();
  // At each button change: the value then held and the value then stored.
  std::vector<std::string> seen;
  buttons_.onChange = [&](ModeButton button, bool visible) {
    seen.push_back(testing::ButtonName(button) + (visible ? " shown" : " hidden") + " holding " +
                   std::to_string(modes_.autoMode()) + " storing " +
                   settings_.ReadSettingString("init", "auto"));
  };
  EXPECT_TRUE(modes_.SetAutoMode(1));
  EXPECT_THAT(seen, ElementsAre("AutoFlashButton shown holding 2 storing 1",
                                "ManualFlashButton hidden holding 1 storing 1"));
  // Written into the init section the file already has, whatever its case; nothing else moves.
  EXPECT_EQ(ReadBytes(path_), "[Init]\ntype=Uno\nauto=1\n[Uno]\nauto=7\n");
}

TEST_F(FlashModesTest, ClickedValuesComeBackAtTheNextStart) {
  ASSERT_TRUE(WriteBytes(path_, "[Uno]\nport=/dev/ttyUSB0\n"));
  modes_.ApplyLogModeAtStartUp();
  modes_.ApplyAutoModeAtStartUp();
  EXPECT_TRUE(modes_.SetAutoMode(1));
  EXPECT_TRUE(modes_.SetLogMode(1));
  EXPECT_TRUE(modes_.SetLogMode(0));
  EXPECT_EQ(ReadBytes(path_), "[Uno]\nport=/dev/ttyUSB0\n[init]\nauto=1\nconsol=0\n");

  FakeModeButtons buttons(nullptr);
  FlashModes restarted(settings_, buttons);
  restarted.ApplyLogModeAtStartUp();
  restarted.ApplyAutoModeAtStartUp();
  EXPECT_EQ(restarted.autoMode(), 1);
  EXPECT_EQ(restarted.logMode(), 0);
  EXPECT_TRUE(buttons.IsVisible(ModeButton::kAutoFlash));
  EXPECT_FALSE(buttons.IsVisible(ModeButton::kManualFlash));
  EXPECT_FALSE(buttons.IsVisible(ModeButton::kLogShown));
  EXPECT_TRUE(buttons.IsVisible(ModeButton::kNoLog));
}

TEST_F(FlashModesTest, AFailedWriteIsReportedButTheSwitchChangesAllTheSame) {
  ASSERT_TRUE(WriteBytes(dir_.File("file"), "x"));
  SettingsFile unwritable(dir_.File("file/quillbrook.ini"));
  FlashModes modes(unwritable, buttons_);
  modes.ApplyLogModeAtStartUp();
  EXPECT_FALSE(modes.SetLogMode(1));
  EXPECT_EQ(modes.logMode(), 1);
  EXPECT_TRUE(buttons_.IsVisible(ModeButton::kLogShown));
  EXPECT_FALSE(buttons_.IsVisible(ModeButton::kNoLog));
}

}  // namespace
}  // namespace quillbrook
