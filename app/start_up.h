// start_up.h: the fixed order in which the program fills its window from the settings before the
// first show.
#pragma once

#include <functional>

namespace quillbrook {

// Each step is supplied by the part it belongs to; a part that does not exist yet leaves its step
// empty. Each step runs to its end, with every reaction it triggers, before the next one begins.
// None of them may write the settings file: loading a value never counts as the user's choice.
struct StartUpSteps {
  std::function<void()> loadTypeList;
  std::function<void()> rescanPorts;
  std::function<void()> showNoChanges;
  std::function<void()> loadHexPath;
  std::function<void()> applyLogMode;
  std::function<void()> applyAutoMode;
  std::function<void()> startCollapseTimer;
  std::function<void()> applyOverlay;
  std::function<void()> startSettingsWatch;
};

void StartUp(const StartUpSteps& steps);

}  // namespace quillbrook
