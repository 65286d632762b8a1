// avrdude_launcher.cpp: picks the launcher of the platform this program is built for.
#include "flash/avrdude_launcher.h"

#include "flash/avrdude_launcher_posix.h"

namespace quillbrook {

std::unique_ptr<AvrdudeLauncher> CreateAvrdudeLauncher(LaunchEnvironment environment,
                                                       LaunchEvents events) {
  return std::make_unique<PosixAvrdudeLauncher>(std::move(environment), std::move(events));
}

}  // namespace quillbrook
