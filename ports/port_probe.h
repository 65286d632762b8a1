// port_probe.h: which serial devices can be opened right now, asked one device at a time.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

// Answers whether a device could be had for this program alone. The port list asks about every
// device name once per rescan, after BeginRescan.
class PortProbe {
 public:
  virtual ~PortProbe() = default;

  // A rescan begins: whatever the probe learned during the last one (who holds which device) is out
  // of date. A probe that keeps nothing between questions has nothing to do.
  virtual void BeginRescan() {}

  // True when the device exists, is a serial port, and no process (this one included) has it open;
  // the device is opened to find out and closed again at once, without changing its settings. A
  // device that does not exist, cannot be opened or is in use by someone else gives false, for
  // whatever reason: the port list only wants the ports a flash could use.
  virtual bool CanOpenExclusively(const std::string& devicePath) = 0;
};

// Where this platform keeps its serial devices.
inline constexpr std::string_view kDeviceDirectory = "/dev";

// The serial devices this platform probes, as full paths in deviceDirectory, in the one fixed order
// the port list keeps: 256 names, each kind of port in ascending number.
std::vector<std::string> PortDeviceNames(std::string_view deviceDirectory = kDeviceDirectory);

// The probe of this platform.
std::unique_ptr<PortProbe> CreatePortProbe();

}  // namespace quillbrook
