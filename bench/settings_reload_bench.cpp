// settings_reload_bench.cpp: the time of one settings reload on a settings file of 200 board
// types, beside the time of reading that file into memory once.
//
// The reload runs through the whole program core, as a hand edit saved in an editor sets it off:
// the settings watch hands over the file's modification and the reload lists the types, rescans
// the ports and loads the HEX path. The window, the watchers and the port probe are stand-ins
// (no port is present), so the figure is what the size of the file costs; the port rescan has a
// bench of its own.
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <string>

#include "app/program.h"
#include "bench/sample_summary.h"
#include "ports/port_probe.h"
#include "settings/settings_file.h"
#include "tests/support/fake_directory_watcher.h"
#include "tests/support/fake_launcher.h"
#include "tests/support/fake_main_thread.h"
#include "tests/support/fake_port_probe.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"
#include "tests/support/virtual_clock.h"
#include "watch/directory_watcher.h"

namespace {

namespace testing = quillbrook::testing;
using quillbrook::testing::ReadBytes;
using quillbrook::testing::WriteBytes;

constexpr int kBoardTypes = 200;
constexpr int kRounds = 100;

std::string BoardTypeName(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "Board%03d", number);
  return name;
}

// The chosen type is the last one, so that every read of its keys walks the whole file.
std::string LargeSettingsFile(const std::string& hexDirectory) {
  std::string text = "[init]\nauto=1\nconsol=0\ntype=" + BoardTypeName(kBoardTypes) + "\n\n";
  for (int number = 1; number <= kBoardTypes; ++number) {
    const std::string name = BoardTypeName(number);
    text += "[" + name + "]\n";
    text += "avrdude_param=-c arduino -p m328p -P %1 -b 115200 -D -U flash:w:\"%2\":i\n";
    text += "port=/dev/ttyUSB" + std::to_string(number % 64) + "\n";
    text += "hex_file_path=" + hexDirectory + name + ".hex\n\n";
  }
  return text;
}

}  // namespace

int main() {
  const quillbrook::testing::TempDir root;
  const std::string settingsPath = root.File("quillbrook.ini");
  const std::string hexDirectory = root.path().string() + "/hex/";
  const std::string content = LargeSettingsFile(hexDirectory);
  if (!WriteBytes(settingsPath, content)) {
    std::cerr << "settings_reload_bench: cannot write " << settingsPath << '\n';
    return 1;
  }

  quillbrook::SettingsFile settings(settingsPath);
  testing::VirtualClock clock;
  testing::FakeMainThread mainThread;
  testing::FakeChoiceListView typeBox("TypeBox", nullptr);
  testing::FakeChoiceListView portBox("PortBox", nullptr);
  testing::FakeHexPathView hexPath(nullptr);
  testing::FakeStatusView status([&] { return clock.Now(); }, nullptr);
  testing::FakeModeButtons modeButtons(nullptr);
  testing::FakeWatcherFactory watchers({"HexWatch", "SettingsWatch"}, nullptr);
  const std::set<std::string> noPorts;

  quillbrook::Program program(
      settings,
      quillbrook::ProgramViews{typeBox, portBox, hexPath, status, modeButtons, [] {}, [] {}, [] {},
                               [](const std::string&) { return false; }},
      quillbrook::ProgramPlatform{clock, mainThread,
                                  [&](quillbrook::DirectoryWatcher::ChangeHandler onChange) {
                                    return watchers.Create(std::move(onChange));
                                  },
                                  [&](quillbrook::LaunchEvents events) {
                                    return std::make_unique<testing::FakeAvrdudeLauncher>(
                                        std::move(events), [&] { return clock.Now(); });
                                  },
                                  std::make_unique<testing::FakePortProbe>(noPorts),
                                  quillbrook::PortDeviceNames()});
  program.StartUp();

  testing::FakeDirectoryWatcher* settingsWatch = watchers.Get("SettingsWatch");
  const std::string chosenHexPath = hexDirectory + BoardTypeName(kBoardTypes) + ".hex";
  const auto samples = quillbrook::bench::MeasureInterleaved(
      kRounds,
      [&] {
        // The figure counts only if the reload did its whole work.
        return settingsWatch != nullptr &&
               settingsWatch->Deliver(quillbrook::kFileModified, settingsPath) &&
               typeBox.Items().size() == kBoardTypes &&
               typeBox.Text() == BoardTypeName(kBoardTypes) && hexPath.Text() == chosenHexPath;
      },
      [&] {
        const std::optional<std::string> bytes = ReadBytes(settingsPath);
        return bytes && bytes->size() == content.size();
      });
  if (!samples) {
    std::cerr << "settings_reload_bench: a reload did not list the " << kBoardTypes
              << " types and load the chosen type's HEX path\n";
    return 1;
  }
  std::cout << "settings file: " << content.size() << " bytes, " << kBoardTypes
            << " board types, rounds: " << kRounds << '\n';
  return quillbrook::bench::PrintFigure("settings_reload_us", samples->ours, "reference_read_file",
                                        samples->reference)
             ? 0
             : 1;
}
