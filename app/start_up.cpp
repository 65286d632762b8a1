// start_up.cpp: the fixed order in which the program fills its window from the settings before the
// first show.
#include "app/start_up.h"

namespace quillbrook {

void StartUp(const StartUpSteps& steps) {
  // The order matters: the port list reselects the port of the type that step one selected, and the
  // settings watch starts last so that nothing the earlier steps do can be mistaken for an edit.
  for (const auto* step :
       {&steps.loadTypeList, &steps.rescanPorts, &steps.showNoChanges, &steps.loadHexPath,
        &steps.applyLogMode, &steps.applyAutoMode, &steps.startCollapseTimer, &steps.applyOverlay,
        &steps.startSettingsWatch}) {
    if (*step) {
      (*step)();
    }
  }
}

}  // namespace quillbrook
