// fake_port_probe.h: a port probe that answers from a list of ports the test says are there.
#pragma once

#include <set>
#include <string>

#include "ports/port_probe.h"

namespace quillbrook::testing {

// The ports are the test's, shared: a port the test adds or removes is seen by the next question,
// as a device plugged in or pulled out is seen by the next rescan.
class FakePortProbe : public PortProbe {
 public:
  explicit FakePortProbe(const std::set<std::string>& present) : present_(present) {}

  bool CanOpenExclusively(const std::string& devicePath) override {
    return present_.count(devicePath) != 0;
  }

 private:
  const std::set<std::string>& present_;
};

}  // namespace quillbrook::testing
