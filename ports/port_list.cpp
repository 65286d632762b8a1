// port_list.cpp: the port list: which serial ports can be opened now, and the one each board type
// remembers.
#include "ports/port_list.h"

#include <utility>

namespace quillbrook {

PortList::PortList(ChoiceListView& portBox, std::unique_ptr<PortProbe> probe,
                   std::vector<std::string> deviceNames, ReadRememberedPort rememberedPort,
                   RememberPort rememberPort)
    : portBox_(portBox),
      probe_(std::move(probe)),
      deviceNames_(std::move(deviceNames)),
      rememberedPort_(std::move(rememberedPort)),
      rememberPort_(std::move(rememberPort)) {}

void PortList::RescanPorts() {
  portBox_.Clear();
  probe_->BeginRescan();
  // The first port added becomes selected (the box's own rule), so without a remembered port the
  // first one listed is the one a flash uses.
  for (const std::string& device : deviceNames_) {
    if (probe_->CanOpenExclusively(device)) {
      portBox_.Append(device);
    }
  }
  SelectByText(portBox_, rememberedPort_());
}

bool PortList::SavePort() {
  return rememberPort_(portBox_.Text());
}

}  // namespace quillbrook
