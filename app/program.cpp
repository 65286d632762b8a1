// program.cpp: every part of the core, created in a fixed order and wired to the window's events.
#include "app/program.h"

#include <utility>

#include "app/start_up.h"
#include "settings/setting_keys.h"

namespace quillbrook {

Program::Program(SettingsFile& settings, ProgramViews views, ProgramPlatform platform)
    : views_(std::move(views)),
      mainThread_(platform.mainThread),
      alive_(std::make_shared<bool>(true)),
      hexWatch_(platform.createWatcher, [this] { sequencer_->OnHexChanged(); }),
      boardTypes_(
          settings, views_.typeBox, views_.portBox, views_.hexPath,
          [this](const std::string& path) { hexWatch_.RestartHexWatch(path); },
          views_.openInDesktop),
      ports_(
          views_.portBox, std::move(platform.portProbe), std::move(platform.portNames),
          [this] { return boardTypes_.ReadTypeSetting(keys::kPort.key); },
          [this](const std::string& port) {
            return boardTypes_.WriteTypeSetting(keys::kPort.key, port);
          }),
      hexPathReactions_(
          views_.hexPath,
          [this](const std::string& path) {
            return boardTypes_.WriteTypeSetting(keys::kHexFilePath.key, path);
          },
          [this](const std::string& path) { hexWatch_.RestartHexWatch(path); },
          views_.expandWindow),
      modes_(settings, views_.modeButtons),
      launcher_(platform.createLauncher(LaunchEvents{[this] { sequencer_->OnAvrdudeEnded(); },
                                                     [this, alive = alive_](const std::string&) {
                                                       // Only the arrival counts; it restarts a
                                                       // timer, which belongs to the main thread.
                                                       mainThread_.Post([this, alive] {
                                                         if (*alive) {
                                                           sequencer_->OnErrorOutputArrived();
                                                         }
                                                       });
                                                     }})),
      sequencer_(std::make_unique<FlashSequencer>(
          platform.timers, *launcher_, views_.status,
          FlashSources{[this] { return boardTypes_.ReadTypeSetting(keys::kAvrdudeParam.key); },
                       [this] { return views_.portBox.Text(); },
                       [this] { return views_.hexPath.Text(); },
                       [this] { return modes_.autoMode(); }, [this] { return modes_.logMode(); }})),
      settingsReload_(platform.createWatcher, settings.path(),
                      SettingsReload::Steps{[this] { boardTypes_.LoadTypeList(); },
                                            [this] { ports_.RescanPorts(); },
                                            [this] { boardTypes_.LoadHexPath(); }}) {}

Program::~Program() {
  *alive_ = false;
}

void Program::StartUp() {
  quillbrook::StartUp(StartUpSteps{
      [this] { boardTypes_.LoadTypeList(); },
      [this] { ports_.RescanPorts(); },
      [this] { sequencer_->ShowFlashState(FlashState::kNoChanges); },
      [this] { boardTypes_.LoadHexPath(); },
      [this] { modes_.ApplyLogModeAtStartUp(); },
      [this] { modes_.ApplyAutoModeAtStartUp(); },
      views_.startCollapseTimer,
      views_.applyOverlay,
      [this] { settingsReload_.StartSettingsWatch(); },
  });
}

bool Program::OnTypeChosen() {
  return boardTypes_.ChooseType();
}

bool Program::OnPortChosen() {
  return ports_.SavePort();
}

bool Program::OnHexPathEdited(const std::string& text) {
  return hexPathReactions_.OnUserEdit(text);
}

void Program::OnFilesDropped(const std::vector<std::string>& paths) {
  hexPathReactions_.OnFilesDropped(paths);
}

void Program::OnStatusPictureClicked() {
  sequencer_->RequestFlash();
}

bool Program::OnAddTypeClicked() {
  return boardTypes_.OpenSettingsFile();
}

void Program::OnRescanPortsClicked() {
  ports_.RescanPorts();
}

bool Program::OnModeButtonClicked(ModeButton button) {
  switch (button) {
    case ModeButton::kAutoFlash:
      return modes_.SetAutoMode(0);
    case ModeButton::kManualFlash:
      return modes_.SetAutoMode(1);
    case ModeButton::kLogShown:
      return modes_.SetLogMode(0);
    case ModeButton::kNoLog:
      return modes_.SetLogMode(1);
  }
  return false;
}

}  // namespace quillbrook
