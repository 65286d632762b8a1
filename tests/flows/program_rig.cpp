// program_rig.cpp: a Program on a real settings file, with a faked window, launcher and ports.
#include "tests/flows/program_rig.h"

#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "tests/support/fake_port_probe.h"
#include "watch/path_split.h"

extern char** environ;

namespace quillbrook::testing {

namespace {

bool IsSettingsFileName(std::string_view name) {
  constexpr std::string_view kName = "quillbrook.ini";
  return std::equal(name.begin(), name.end(), kName.begin(), kName.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

// Runs the program with these arguments and waits for it; true when it ended with status 0.
bool RunToSuccess(std::vector<std::string> arguments) {
  std::vector<char*> argv;
  for (std::string& argument : arguments) {
    argv.push_back(argument.data());
  }
  argv.push_back(nullptr);
  pid_t child = 0;
  if (::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
    return false;
  }
  int status = 0;
  return ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

ProgramRig::ProgramRig(Watchers watchers) : watchers_(watchers), settings_(settingsPath()) {
  for (const std::string& directory : {settingsDirectory(), hexDirectory(), stagingDirectory()}) {
    std::filesystem::create_directory(directory);
  }
  typeBox.onUserChoice = [this] { program_->OnTypeChosen(); };
  portBox.onUserChoice = [this] { program_->OnPortChosen(); };
  hexPath.onEdit = [this](const std::string& text) { program_->OnHexPathEdited(text); };
}

ProgramRig::~ProgramRig() {
  Destroy();
}

Program& ProgramRig::Create() {
  ProgramViews views{
      typeBox,
      portBox,
      hexPath,
      status,
      modeButtons,
      [this] { journal.Add("window expanded"); },
      [this] { journal.Add("collapse timer started"); },
      [this] { journal.Add("overlay applied"); },
      [this](const std::string& path) {
        openedInDesktop.push_back(path);
        return desktopOpens;
      },
  };
  auto createWatcher =
      [this](DirectoryWatcher::ChangeHandler onChange) -> std::unique_ptr<DirectoryWatcher> {
    if (watchers_ == Watchers::kFake) {
      return fakeWatchers.Create(std::move(onChange));
    }
    return CreateDirectoryWatcher(
        main, [this, onChange = std::move(onChange)](int action, const std::string& fullPath) {
          records.push_back(ChangeRecord{action, fullPath});
          onChange(action, fullPath);
        });
  };
  ProgramPlatform platform{
      clock,
      main,
      createWatcher,
      [this](LaunchEvents events) {
        auto fake = std::make_unique<FakeAvrdudeLauncher>(std::move(events),
                                                          [this] { return clock.Now(); });
        launcher = fake.get();
        return fake;
      },
      std::make_unique<FakePortProbe>(presentPorts),
      kPortNames,
  };
  program_ = std::make_unique<Program>(settings_, std::move(views), std::move(platform));
  return *program_;
}

Program& ProgramRig::Start() {
  Create().StartUp();
  return *program_;
}

void ProgramRig::Destroy() {
  program_.reset();
  launcher = nullptr;
}

std::optional<std::string> ProgramRig::SettingsBytes() const {
  return testing::ReadBytes(settingsPath());
}

bool ProgramRig::WriteSettings(std::string_view content) const {
  return testing::WriteBytes(settingsPath(), content);
}

bool ProgramRig::WriteSettingsFromAnotherProcess(std::string_view content) const {
  const std::string staged = stagingDirectory() + "quillbrook.ini";
  // cp opens the existing file for writing and truncates it: the same file, written anew.
  return testing::WriteBytes(staged, content) && RunToSuccess({"cp", staged, settingsPath()});
}

bool ProgramRig::Settle(const std::string& directory) {
  const std::string marker = directory + "settle-" + std::to_string(++markers_);
  if (!testing::WriteBytes(marker, "m")) {
    return false;
  }
  return RunUntil([&] {
    return std::any_of(records.begin(), records.end(),
                       [&](const ChangeRecord& record) { return record.fullPath == marker; });
  });
}

bool ProgramRig::RunUntil(const std::function<bool()>& condition) {
  return main.RunUntil(condition, kPatience);
}

int ProgramRig::SettingsFileRecords() const {
  return static_cast<int>(std::count_if(records.begin(), records.end(), [&](const ChangeRecord& r) {
    const PathParts parts = SplitPath(r.fullPath);
    return r.action == kFileModified && parts.directory == settingsDirectory() &&
           IsSettingsFileName(parts.name);
  }));
}

ControlsSnapshot ProgramRig::Snapshot() const {
  return ControlsSnapshot{typeBox.Items(),
                          typeBox.selected(),
                          portBox.Items(),
                          portBox.selected(),
                          hexPath.Text(),
                          program_ ? program_->hexWatch().hexDirectory() : std::string(),
                          program_ ? program_->hexWatch().hexName() : std::string()};
}

void ProgramRig::AdvanceTo(std::chrono::milliseconds moment) {
  clock.Advance(moment - clock.Now());
}

}  // namespace quillbrook::testing
