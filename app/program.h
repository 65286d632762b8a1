// program.h: every part of the core, created in a fixed order and wired to the window's events.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/choice_list_view.h"
#include "app/main_thread.h"
#include "app/one_shot_timer.h"
#include "flash/avrdude_launcher.h"
#include "flash/flash_modes.h"
#include "flash/flash_sequencer.h"
#include "flash/flash_state.h"
#include "ports/port_list.h"
#include "settings/board_types.h"
#include "settings/settings_file.h"
#include "settings/settings_reload.h"
#include "watch/directory_watcher.h"
#include "watch/hex_path_reactions.h"
#include "watch/hex_path_view.h"
#include "watch/hex_watch.h"

namespace quillbrook {

// What the window offers the core. Everything here outlives the Program.
struct ProgramViews {
  ChoiceListView& typeBox;
  ChoiceListView& portBox;
  HexPathView& hexPath;
  StatusIndicatorView& status;
  ModeButtonsView& modeButtons;
  std::function<void()> expandWindow;
  std::function<void()> startCollapseTimer;
  std::function<void()> applyOverlay;
  std::function<bool(const std::string& path)> openInDesktop;
};

// The platform's facilities, real in the program and fake in the tests.
struct ProgramPlatform {
  TimerFactory& timers;
  MainThread& mainThread;
  std::function<std::unique_ptr<DirectoryWatcher>(DirectoryWatcher::ChangeHandler)> createWatcher;
  std::function<std::unique_ptr<AvrdudeLauncher>(LaunchEvents)> createLauncher;
  std::unique_ptr<PortProbe> portProbe;
  std::vector<std::string> portNames;
};

// The parts are members in the order of their creation and so are destroyed in reverse: the
// settings watch first, then the flash timers and a hidden avrdude run, the HEX watch last.
class Program {
 public:
  Program(SettingsFile& settings, ProgramViews views, ProgramPlatform platform);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // Fills the window from the settings file before its first show; writes nothing.
  void StartUp();

  // The window's events: only the user's gestures raise them. Those that write the settings file
  // return false when the write failed; the program shows nothing either way.
  bool OnTypeChosen();
  bool OnPortChosen();
  bool OnHexPathEdited(const std::string& text);
  void OnFilesDropped(const std::vector<std::string>& paths);
  void OnStatusPictureClicked();
  // False when the settings file could neither be created nor handed to the desktop.
  bool OnAddTypeClicked();
  void OnRescanPortsClicked();
  bool OnModeButtonClicked(ModeButton button);

  // For the tests: what the parts hold.
  const HexWatch& hexWatch() const { return hexWatch_; }
  const FlashModes& modes() const { return modes_; }
  const FlashSequencer& sequencer() const { return *sequencer_; }

 private:
  ProgramViews views_;
  MainThread& mainThread_;
  // Set false first thing in the destructor: a chunk of avrdude's output handed over by the reader
  // thread may still be queued for the main thread after the sequencer is gone.
  std::shared_ptr<bool> alive_;

  HexWatch hexWatch_;
  BoardTypes boardTypes_;
  PortList ports_;
  HexPathReactions hexPathReactions_;
  FlashModes modes_;
  std::unique_ptr<AvrdudeLauncher> launcher_;
  std::unique_ptr<FlashSequencer> sequencer_;
  SettingsReload settingsReload_;
};

}  // namespace quillbrook
