// application.h: owns every part of the running program and orders its start and its end.
#pragma once

#include "app/program.h"
#include "settings/settings_file.h"
#include "ui/drop_down_list_view.h"
#include "ui/hex_path_edit_view.h"
#include "ui/main_window.h"
#include "ui/mode_buttons_view.h"
#include "ui/qt_main_thread.h"
#include "ui/qt_timer_factory.h"
#include "ui/status_animation.h"

namespace quillbrook {

// Parts are members in the order of their creation, so that they are destroyed in reverse: the
// core (its watches, timers and a hidden avrdude run) goes before the window it reports to.
class Application {
 public:
  Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the start-up sequence, shows the window and the event loop until the window has closed.
  void Run();

 private:
  void ConnectWindowEvents();
  void ShowFirstTime();

  SettingsFile settings_;
  QtTimerFactory timers_;
  QtMainThread mainThread_;
  MainWindow window_;
  DropDownListView typeBox_;
  DropDownListView portBox_;
  HexPathEditView hexPath_;
  StatusAnimation status_;
  ModeButtonsWidgetView modeButtons_;
  Program program_;
};

}  // namespace quillbrook
