// application.cpp: owns every part of the running program and orders its start and its end.
#include "app/application.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QUrl>

#include "flash/avrdude_launcher.h"
#include "ports/port_probe.h"
#include "settings/settings_location.h"
#include "settings/window_position.h"
#include "ui/drop_down_list.h"
#include "ui/hex_path_edit.h"
#include "ui/image_button.h"
#include "ui/status_picture.h"
#include "watch/directory_watcher.h"

namespace quillbrook {

namespace {

std::vector<std::string> LocalPaths(const QStringList& paths) {
  std::vector<std::string> local;
  local.reserve(static_cast<std::size_t>(paths.size()));
  for (const QString& path : paths) {
    local.push_back(QFile::encodeName(path).toStdString());
  }
  return local;
}

}  // namespace

Application::Application()
    : settings_(ChooseSettingsPath()),
      window_(timers_),
      typeBox_(*window_.typeBox()),
      portBox_(*window_.portBox()),
      hexPath_(*window_.hexPathEdit()),
      status_(window_, timers_),
      modeButtons_(window_),
      program_(
          settings_,
          ProgramViews{typeBox_, portBox_, hexPath_, status_, modeButtons_,
                       [this] { window_.ExpandWindow(); }, [this] { window_.StartCollapseTimer(); },
                       [this] { window_.ApplyOverlay(); },
                       [](const std::string& path) {
                         return QDesktopServices::openUrl(
                             QUrl::fromLocalFile(QFile::decodeName(path.c_str())));
                       }},
          ProgramPlatform{timers_, mainThread_,
                          [this](DirectoryWatcher::ChangeHandler onChange) {
                            return CreateDirectoryWatcher(mainThread_, std::move(onChange));
                          },
                          [](LaunchEvents events) {
                            return CreateAvrdudeLauncher(ReadLaunchEnvironment(ProgramDirectory()),
                                                         std::move(events));
                          },
                          CreatePortProbe(), PortDeviceNames()}) {
  QApplication::setWindowIcon(window_.windowIcon());
  ConnectWindowEvents();
}

void Application::ConnectWindowEvents() {
  QObject::connect(&window_, &MainWindow::closing, [this] {
    SaveWindowPosition(settings_, window_.shownOnce(), window_.outerRect());
  });
  QObject::connect(window_.typeBox(), &DropDownList::userSelected,
                   [this] { program_.OnTypeChosen(); });
  QObject::connect(window_.portBox(), &DropDownList::userSelected,
                   [this] { program_.OnPortChosen(); });
  QObject::connect(window_.hexPathEdit(), &HexPathEdit::echoedTextChanged,
                   [this](const QString& text) { program_.OnHexPathEdited(text.toStdString()); });
  QObject::connect(&window_, &MainWindow::filesDropped, [this](const QStringList& paths) {
    program_.OnFilesDropped(LocalPaths(paths));
  });
  QObject::connect(window_.statusPicture(), &StatusPicture::clicked,
                   [this] { program_.OnStatusPictureClicked(); });
  QObject::connect(window_.addTypeButton(), &ImageButton::clicked,
                   [this] { program_.OnAddTypeClicked(); });
  QObject::connect(window_.rescanPortsButton(), &ImageButton::clicked,
                   [this] { program_.OnRescanPortsClicked(); });
  const std::pair<ImageButton*, ModeButton> modeButtons[] = {
      {window_.autoFlashButton(), ModeButton::kAutoFlash},
      {window_.manualFlashButton(), ModeButton::kManualFlash},
      {window_.logShownButton(), ModeButton::kLogShown},
      {window_.noLogButton(), ModeButton::kNoLog},
  };
  for (const auto& [button, mode] : modeButtons) {
    QObject::connect(button, &ImageButton::clicked,
                     [this, mode = mode] { program_.OnModeButtonClicked(mode); });
  }
}

void Application::Run() {
  program_.StartUp();
  ShowFirstTime();
  QApplication::exec();
}

void Application::ShowFirstTime() {
  window_.setOuterRect(LoadWindowPosition(settings_, window_.outerRect()));
  window_.show();
  window_.markShownOnce();
}

}  // namespace quillbrook
