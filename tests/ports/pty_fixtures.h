// pty_fixtures.h: serial ports for the probe tests: pseudo-terminals, a directory standing in for
// /dev, and a process that holds a port open.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"

namespace quillbrook::testing {

// A pseudo-terminal whose port side (the slave) nobody has open yet: a serial port as the probe
// finds it when nothing uses it. Throws std::system_error when none can be had.
class PseudoTerminal {
 public:
  PseudoTerminal();
  ~PseudoTerminal();
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;

  // The port side, e.g. /dev/pts/4.
  const std::string& port() const { return port_; }
  // The other end; its terminal settings are the port's.
  int master() const { return master_; }

 private:
  int master_;
  std::string port_;
};

// Another process that has a device open until Release: a serial monitor, or avrdude during a
// flash. The constructor returns once the device is open in that process; throws std::system_error
// when the process cannot be started or cannot open the device.
class HoldingProcess {
 public:
  // exclusive: the holder also asks for exclusive use of the terminal (TIOCEXCL).
  HoldingProcess(const std::string& device, bool exclusive);
  ~HoldingProcess() { Release(); }
  HoldingProcess(const HoldingProcess&) = delete;
  HoldingProcess& operator=(const HoldingProcess&) = delete;

  // Ends the process and waits for it, so the device is free again when this returns.
  void Release();

 private:
  pid_t pid_ = -1;
};

}  // namespace quillbrook::testing
