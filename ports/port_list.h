// port_list.h: the port list: which serial ports can be opened now, and the one each board type
// remembers.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/choice_list_view.h"
#include "ports/port_probe.h"

namespace quillbrook {

// Fills the port box with the devices that can be opened at the moment of a rescan and keeps the
// user's choice per board type. Nothing is cached: every rescan probes every device name anew.
class PortList {
 public:
  // The current board type's remembered port; "" when none is remembered or no type is current.
  using ReadRememberedPort = std::function<std::string()>;
  // Remembers port for the current board type; false when nothing was written.
  using RememberPort = std::function<bool(const std::string& port)>;

  // deviceNames: the devices to probe, in the order the list shows them (PortDeviceNames() in the
  // program, with the probe of CreatePortProbe()). portBox must outlive the list.
  PortList(ChoiceListView& portBox, std::unique_ptr<PortProbe> probe,
           std::vector<std::string> deviceNames, ReadRememberedPort rememberedPort,
           RememberPort rememberPort);

  // Lists every device that can be opened exclusively, in the order of the device names, then
  // reselects the remembered port without regard to letter case. Afterwards the selection is the
  // remembered port when it is listed, none when a port is remembered but not listed, else the
  // first port; none when no port was found. Writes nothing.
  void RescanPorts();

  // The user chose a port: remember it for the current board type, as the list shows it. False
  // when it could not be written (no board type is current, or the write failed).
  bool SavePort();

 private:
  ChoiceListView& portBox_;
  std::unique_ptr<PortProbe> probe_;
  std::vector<std::string> deviceNames_;
  ReadRememberedPort rememberedPort_;
  RememberPort rememberPort_;
};

}  // namespace quillbrook
