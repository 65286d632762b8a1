// reload_flow_tests.cpp: the running program follows its settings file through the real watch.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "settings/settings_reload.h"
#include "tests/flows/program_rig.h"

namespace quillbrook {
namespace {

using ::testing::ElementsAre;
using testing::ProgramRig;

class ReloadFlowTest : public ::testing::Test {
 protected:
  std::string Settings(const std::string& sections) const {
    return "[init]\ntype=Mega\n" + sections;
  }
  // Runs the main thread until the settings file has been reloaded since `loads`.
  bool ReloadedSince(int loads) {
    return rig_.RunUntil([&] { return rig_.TypeListLoads() > loads; }) &&
           rig_.Settle(rig_.settingsDirectory());
  }

  ProgramRig rig_{ProgramRig::Watchers::kReal};
  const std::string uno_ =
      "[Uno]\nport=/dev/ttyACM0\nhex_file_path=" + rig_.HexFile("uno.hex") + "\n";
  const std::string mega_ =
      "[Mega]\nport=/dev/ttyUSB1\nhex_file_path=" + rig_.HexFile("mega.hex") + "\n";
};

TEST_F(ReloadFlowTest, ASectionAddedByHandIsListedInFileOrderWithTheChosenTypeKept) {
  ASSERT_TRUE(rig_.WriteSettings(Settings(uno_ + mega_)));
  rig_.Start();
  const testing::ControlsSnapshot before = rig_.Snapshot();

  ASSERT_TRUE(rig_.WriteSettingsFromAnotherProcess(Settings(uno_ + "[Nano]\n" + mega_)));
  ASSERT_TRUE(ReloadedSince(1));
  EXPECT_THAT(rig_.typeBox.Items(), ElementsAre("Uno", "Nano", "Mega"));
  EXPECT_EQ(rig_.typeBox.Text(), "Mega");
  testing::ControlsSnapshot expected = before;
  expected.types = rig_.typeBox.Items();
  expected.selectedType = 2;
  EXPECT_EQ(rig_.Snapshot(), expected);
}

TEST_F(ReloadFlowTest, RemovingTheChosenTypesSectionLeavesNoTypeAndNoPath) {
  ASSERT_TRUE(rig_.WriteSettings(Settings(uno_ + mega_)));
  rig_.Start();
  ASSERT_EQ(rig_.portBox.Text(), "/dev/ttyUSB1");

  ASSERT_TRUE(rig_.WriteSettingsFromAnotherProcess(Settings(uno_)));
  ASSERT_TRUE(ReloadedSince(1));
  EXPECT_THAT(rig_.typeBox.Items(), ElementsAre("Uno"));
  EXPECT_EQ(rig_.typeBox.Text(), "");
  EXPECT_EQ(rig_.portBox.Text(), "/dev/ttyACM0");  // no port remembered: the first one
  EXPECT_EQ(rig_.hexPath.Text(), "");
  EXPECT_EQ(rig_.program().hexWatch().hexDirectory(), "");
}

TEST_F(ReloadFlowTest, EveryWriteOfTheProgramReloadsAndTheReloadChangesNothing) {
  ASSERT_TRUE(rig_.WriteSettings(uno_ + mega_));
  rig_.Start();
  struct Action {
    const char* name;
    std::function<void()> run;
  };
  const std::string typed = rig_.HexFile("My Files/a b.hex ");
  const Action actions[] = {
      {"choose a type", [&] { ASSERT_TRUE(rig_.typeBox.UserChoose("Mega")); }},
      {"choose a port", [&] { ASSERT_TRUE(rig_.portBox.UserChoose("/dev/ttyACM0")); }},
      {"type a path", [&] { rig_.hexPath.UserType(typed); }},
      {"type a blank", [&] { rig_.hexPath.UserType(typed + " "); }},
      {"drop a file", [&] { rig_.program().OnFilesDropped({rig_.HexFile("dropped.hex")}); }},
      {"switch to auto", [&] { rig_.program().OnModeButtonClicked(ModeButton::kManualFlash); }},
      {"switch the log on", [&] { rig_.program().OnModeButtonClicked(ModeButton::kNoLog); }},
  };
  for (const Action& action : actions) {
    SCOPED_TRACE(action.name);
    const int loads = rig_.TypeListLoads();
    const int records = rig_.SettingsFileRecords();
    action.run();
    const testing::ControlsSnapshot after = rig_.Snapshot();
    ASSERT_TRUE(ReloadedSince(loads));
    // One reload for each modification the watch reported, none of which changed a control.
    EXPECT_EQ(rig_.TypeListLoads() - loads, rig_.SettingsFileRecords() - records);
    EXPECT_EQ(rig_.Snapshot(), after);
  }
  EXPECT_EQ(rig_.typeBox.Text(), "Mega");
  EXPECT_EQ(rig_.portBox.Text(), "/dev/ttyACM0");
  EXPECT_EQ(rig_.hexPath.Text(), rig_.HexFile("dropped.hex"));
  EXPECT_EQ(rig_.hexPath.echoedSets(), 1);
}

TEST_F(ReloadFlowTest, APortThatVanishedIsGoneAfterTheReloadOfAnOwnWrite) {
  ASSERT_TRUE(rig_.WriteSettings(Settings(uno_ + mega_)));
  rig_.Start();
  ASSERT_THAT(rig_.portBox.Items(), ElementsAre("/dev/ttyACM0", "/dev/ttyUSB1"));
  rig_.presentPorts.erase("/dev/ttyACM0");  // unplugged
  ASSERT_TRUE(rig_.portBox.UserChoose("/dev/ttyUSB1"));
  ASSERT_TRUE(ReloadedSince(1));
  EXPECT_THAT(rig_.portBox.Items(), ElementsAre("/dev/ttyUSB1"));
  EXPECT_EQ(rig_.portBox.Text(), "/dev/ttyUSB1");
}

TEST_F(ReloadFlowTest, OnlyTheSettingsFileItselfReloads) {
  ASSERT_TRUE(rig_.WriteSettings(Settings(uno_ + mega_)));
  rig_.Start();
  const std::string directory = rig_.settingsDirectory();
  ASSERT_TRUE(std::filesystem::create_directory(directory + "sub"));
  for (const char* name : {"sub/quillbrook.ini", "other.ini", "quillbrook.ini.bak", "quillbrook"}) {
    ASSERT_TRUE(testing::WriteBytes(directory + name, "[Nano]\n")) << name;
  }
  ASSERT_TRUE(rig_.Settle(directory));
  EXPECT_EQ(rig_.TypeListLoads(), 1);

  // The same name in other letters is the settings file for the program.
  ASSERT_TRUE(testing::WriteBytes(directory + "QUILLBROOK.INI", "[Nano]\n"));
  EXPECT_TRUE(ReloadedSince(1));
  EXPECT_THAT(rig_.typeBox.Items(), ElementsAre("Uno", "Mega"));
}

TEST_F(ReloadFlowTest, ModesEditedByHandTakeEffectAtTheNextStartOnly) {
  ASSERT_TRUE(rig_.WriteSettings("[init]\nauto=0\nconsol=0\ntype=Uno\n" + uno_));
  rig_.Start();
  ASSERT_TRUE(rig_.WriteSettingsFromAnotherProcess("[init]\nauto=1\nconsol=1\ntype=Uno\n" + uno_));
  ASSERT_TRUE(ReloadedSince(1));
  EXPECT_EQ(rig_.program().modes().autoMode(), 0);
  EXPECT_EQ(rig_.program().modes().logMode(), 0);
  EXPECT_TRUE(rig_.modeButtons.IsVisible(ModeButton::kManualFlash));
  EXPECT_FALSE(rig_.modeButtons.IsVisible(ModeButton::kAutoFlash));
  // Still manual: a rewrite is only shown.
  ASSERT_TRUE(testing::WriteBytes(rig_.HexFile("uno.hex"), ":00000001FF\n"));
  ASSERT_TRUE(rig_.RunUntil([&] { return rig_.status.Current() == FlashState::kChangesDetected; }));
  rig_.AdvanceTo(std::chrono::milliseconds(10000));
  EXPECT_EQ(rig_.status.Current(), FlashState::kChangesDetected);

  rig_.Destroy();
  rig_.Start();
  EXPECT_EQ(rig_.program().modes().autoMode(), 1);
  EXPECT_EQ(rig_.program().modes().logMode(), 1);
  EXPECT_TRUE(rig_.modeButtons.IsVisible(ModeButton::kAutoFlash));
  EXPECT_FALSE(rig_.modeButtons.IsVisible(ModeButton::kManualFlash));
}

TEST(SettingsWatchStart, CreatesAMissingSettingsDirectorySoThatTheFirstWriteIsFollowed) {
  testing::TempDir root;
  const std::string directory = root.path().string() + "/config/quillbrook/";
  testing::FakeMainThread main;
  int reloads = 0;
  SettingsReload reload(
      [&](DirectoryWatcher::ChangeHandler onChange) {
        return CreateDirectoryWatcher(main, std::move(onChange));
      },
      directory + "quillbrook.ini", SettingsReload::Steps{[&] { ++reloads; }, [] {}, [] {}});
  ASSERT_TRUE(reload.StartSettingsWatch());
  EXPECT_TRUE(std::filesystem::is_directory(directory));
  SettingsFile settings(directory + "quillbrook.ini");
  ASSERT_TRUE(settings.WriteSettingInteger("init", "auto", 1));
  EXPECT_TRUE(main.RunUntil([&] { return reloads > 0; }, testing::kPatience));

  // Where no directory can be made, the watch is not started.
  ASSERT_TRUE(testing::WriteBytes(root.File("file"), "x"));
  SettingsReload blocked(
      [&](DirectoryWatcher::ChangeHandler onChange) {
        return CreateDirectoryWatcher(main, std::move(onChange));
      },
      root.File("file/sub/quillbrook.ini"), SettingsReload::Steps{[] {}, [] {}, [] {}});
  EXPECT_FALSE(blocked.StartSettingsWatch());
}

TEST_F(ReloadFlowTest, AFileEditedIntoGarbageEmptiesTheListsAndEditedBackRestoresThem) {
  ASSERT_TRUE(rig_.WriteSettings(Settings(uno_ + mega_)));
  rig_.Start();
  const testing::ControlsSnapshot good = rig_.Snapshot();

  std::string garbage(64 * 1024, '\0');
  for (std::size_t i = 0; i < garbage.size(); ++i) {
    garbage[i] = static_cast<char>((i * 131 + 7) % 251);  // NULs, lone CRs, brackets, invalid UTF-8
  }
  ASSERT_TRUE(rig_.WriteSettingsFromAnotherProcess(garbage));
  ASSERT_TRUE(ReloadedSince(1));
  EXPECT_THAT(rig_.typeBox.Items(), ::testing::Not(::testing::Contains("Mega")));
  EXPECT_THAT(rig_.typeBox.Items(), ::testing::Not(::testing::Contains("Uno")));
  EXPECT_EQ(rig_.hexPath.Text(), "");

  const int loads = rig_.TypeListLoads();
  ASSERT_TRUE(rig_.WriteSettingsFromAnotherProcess(Settings(uno_ + mega_)));
  ASSERT_TRUE(ReloadedSince(loads));
  EXPECT_EQ(rig_.Snapshot(), good);
}

}  // namespace
}  // namespace quillbrook
