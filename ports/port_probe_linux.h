// port_probe_linux.h: the Linux port probe, which also asks the process table who holds a device.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <unordered_set>

#include "ports/port_probe.h"

namespace quillbrook {

// The character devices (their device numbers) that processes have open, read from the descriptor
// links of every process in processTable (normally /proc). Processes whose descriptors this user
// may not read are passed over, so for an ordinary user the set holds only the devices its own
// processes have open. std::nullopt when processTable cannot be read at all.
std::optional<std::unordered_set<dev_t>> FindOpenCharacterDevices(const std::string& processTable);

// On Linux an open alone never tells whether another process has a serial port open: opens are
// shared unless the holder asked for exclusive use (TIOCEXCL), avrdude does not ask for it, and
// root may open a port even when someone did. Neither does a lock tell: avrdude takes none. What
// does tell, for every holder, is the process table, so the probe reads it once per rescan, on the
// first device that exists, and a device any process has open counts as taken; such a device is
// not even opened, so its holder is not disturbed.
//
// Exclusive use that a holder asked for still counts where the process table does not show that
// holder (another user's process): the open then fails with EBUSY. The exclusive flag itself is not
// asked for (TIOCGEXCL): on a pseudo-terminal it outlives the holder that set it.
class LinuxPortProbe final : public PortProbe {
 public:
  explicit LinuxPortProbe(std::string processTable = "/proc");

  void BeginRescan() override;

  // Besides being openable and not held, the device must be a character device that answers a
  // terminal settings request. That leaves out the legacy serial names of a PC (ttyS0 to ttyS31)
  // that have no UART behind them: they open, but answer every request with EIO.
  bool CanOpenExclusively(const std::string& devicePath) override;

 private:
  bool HeldByAnyProcess(dev_t device);

  std::string processTable_;
  // Read on the first device that exists in a rescan.
  std::unordered_set<dev_t> heldDevices_;
  bool heldDevicesRead_ = false;
};

}  // namespace quillbrook
