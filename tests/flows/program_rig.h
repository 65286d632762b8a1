// program_rig.h: a Program on a real settings file, with a faked window, launcher and ports.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "app/program.h"
#include "settings/settings_file.h"
#include "tests/support/fake_directory_watcher.h"
#include "tests/support/fake_launcher.h"
#include "tests/support/fake_main_thread.h"
#include "tests/support/fake_views.h"
#include "tests/support/journal.h"
#include "tests/support/temp_dir.h"
#include "tests/support/virtual_clock.h"
#include "watch/directory_watcher.h"

namespace quillbrook::testing {

// Long enough for any real notification on a loaded machine; only a failing test waits it out.
inline constexpr std::chrono::seconds kPatience{20};

// The devices the rig's port list asks about, in list order.
inline const std::vector<std::string> kPortNames = {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1"};

// What the window shows, to compare before and after something that should change nothing.
struct ControlsSnapshot {
  std::vector<std::string> types;
  int selectedType;
  std::vector<std::string> ports;
  int selectedPort;
  std::string hexPath;
  std::string hexDirectory;
  std::string hexName;

  bool operator==(const ControlsSnapshot&) const = default;
};

class ProgramRig {
 public:
  enum class Watchers { kFake, kReal };

  explicit ProgramRig(Watchers watchers);
  ~ProgramRig();
  ProgramRig(const ProgramRig&) = delete;
  ProgramRig& operator=(const ProgramRig&) = delete;

  // Makes the program; Start also runs its start-up sequence.
  Program& Create();
  Program& Start();
  // Ends the program, as the application does at close.
  void Destroy();
  Program& program() { return *program_; }

  // The rig's directories, each ending in '/': the settings file's, the HEX file's, and one
  // that no watch follows.
  std::string settingsDirectory() const { return root_.path().string() + "/settings/"; }
  std::string hexDirectory() const { return root_.path().string() + "/hex/"; }
  std::string stagingDirectory() const { return root_.path().string() + "/staging/"; }
  std::string settingsPath() const { return settingsDirectory() + "quillbrook.ini"; }
  std::string HexFile(std::string_view name) const { return hexDirectory() + std::string(name); }

  // The settings file's bytes; nullopt when it does not exist.
  std::optional<std::string> SettingsBytes() const;
  bool WriteSettings(std::string_view content) const;
  // Another process replaces the settings file's content in place, as an editor saving it does.
  bool WriteSettingsFromAnotherProcess(std::string_view content) const;

  // Real watchers only: writes a marker file into the watched directory and runs the main thread
  // until the marker's record has been handed over. Records arrive in the order of the changes, so
  // by then every change made before has been handled, with all its reactions.
  bool Settle(const std::string& directory);
  // Real watchers only: runs the main thread until the condition holds.
  bool RunUntil(const std::function<bool()>& condition);

  // Modification records of the settings file (its name in any case) handed over so far.
  int SettingsFileRecords() const;
  // How often the type list was loaded: once by the start-up, then once by each reload.
  int TypeListLoads() const { return typeBox.clears(); }
  ControlsSnapshot Snapshot() const;
  // Moves the virtual clock to this moment since the rig was made.
  void AdvanceTo(std::chrono::milliseconds moment);

  Journal journal;
  VirtualClock clock;
  FakeMainThread main;
  FakeChoiceListView typeBox{"TypeBox", &journal};
  FakeChoiceListView portBox{"PortBox", &journal};
  FakeHexPathView hexPath{&journal};
  FakeStatusView status{[this] { return clock.Now(); }, &journal};
  FakeModeButtons modeButtons{&journal};
  FakeWatcherFactory fakeWatchers{{"HexWatch", "SettingsWatch"}, &journal};
  std::set<std::string> presentPorts = {"/dev/ttyACM0", "/dev/ttyUSB1"};
  std::vector<std::string> openedInDesktop;
  bool desktopOpens = true;
  // The launcher of the living program; null before Create and after Destroy.
  FakeAvrdudeLauncher* launcher = nullptr;
  // Every record the real watchers handed over, in order.
  std::vector<ChangeRecord> records;

 private:
  testing::TempDir root_;
  Watchers watchers_;
  SettingsFile settings_;
  std::unique_ptr<Program> program_;
  int markers_ = 0;
};

}  // namespace quillbrook::testing
