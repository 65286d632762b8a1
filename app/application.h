// application.h: owns every part of the running program and orders its start and its end.
#pragma once

#include <memory>

#include "flash/avrdude_launcher.h"
#include "settings/settings_file.h"
#include "ui/main_window.h"

namespace quillbrook {

// Parts are members in the order of their creation, so that they are destroyed in reverse.
class Application {
 public:
  Application();
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the start-up sequence, shows the window and the event loop until the window has closed.
  void Run();

 private:
  void ShowFirstTime();

  SettingsFile settings_;
  MainWindow window_;
  std::unique_ptr<AvrdudeLauncher> launcher_;
};

}  // namespace quillbrook
