// application.cpp: owns every part of the running program and orders its start and its end.
#include "app/application.h"

#include <QApplication>

#include "app/start_up.h"
#include "settings/settings_location.h"

namespace quillbrook {

Application::Application()
    : settings_(SettingsFilePath()),
      launcher_(CreateAvrdudeLauncher(ReadLaunchEnvironment(ProgramDirectory()), LaunchEvents{})) {
  QObject::connect(&window_, &MainWindow::closing, [this] {
    SaveWindowPosition(settings_, window_.shownOnce(), window_.outerRect());
  });
}

Application::~Application() = default;

void Application::Run() {
  StartUp(StartUpSteps{});
  ShowFirstTime();
  QApplication::exec();
}

void Application::ShowFirstTime() {
  window_.setOuterRect(LoadWindowPosition(settings_, window_.outerRect()));
  window_.show();
  window_.markShownOnce();
}

}  // namespace quillbrook
