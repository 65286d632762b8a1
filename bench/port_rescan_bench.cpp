// port_rescan_bench.cpp: the time of one port rescan over all 256 device names, beside the bare
// cost of asking the file system about those names.
//
// Usage: port_rescan_bench [DEVICE_DIRECTORY]
// Without an argument the devices are looked for in a fresh empty directory, so that none is
// present and the figure is the rescan's own cost; with /dev it is what a user's click costs.
#include <sys/stat.h>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/sample_summary.h"
#include "ports/port_list.h"
#include "ports/port_probe.h"
#include "ports/port_probe_linux.h"
#include "tests/support/fake_views.h"
#include "tests/support/temp_dir.h"

namespace {

using quillbrook::LinuxPortProbe;
using quillbrook::PortDeviceNames;
using quillbrook::PortList;

constexpr int kRounds = 100;

// The floor under any rescan: one stat() per name, which is the least a probe can do.
int StatEach(const std::vector<std::string>& names) {
  int present = 0;
  for (const std::string& name : names) {
    struct stat node {};
    if (::stat(name.c_str(), &node) == 0) {
      ++present;
    }
  }
  return present;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc > 2) {
    std::cerr << "usage: port_rescan_bench [DEVICE_DIRECTORY]\n";
    return 2;
  }
  std::optional<quillbrook::testing::TempDir> emptyDirectory;
  std::string deviceDirectory;
  if (argc == 2) {
    deviceDirectory = argv[1];
  } else {
    emptyDirectory.emplace();
    deviceDirectory = emptyDirectory->path();
  }
  const std::vector<std::string> names = PortDeviceNames(deviceDirectory);

  quillbrook::testing::FakeChoiceListView portBox("PortBox", nullptr);
  PortList ports(
      portBox, std::make_unique<LinuxPortProbe>(), names, [] { return std::string(); },
      [](const std::string&) { return false; });

  std::size_t portsFound = 0;
  const auto samples = quillbrook::bench::MeasureInterleaved(
      kRounds,
      [&] {
        ports.RescanPorts();
        portsFound = portBox.Items().size();
        // In an empty directory any port listed is a fault of the rescan, not a measurement.
        return !emptyDirectory || portsFound == 0;
      },
      [&] {
        StatEach(names);
        return true;
      });
  if (!samples) {
    std::cerr << "port_rescan_bench: the rescan listed ports in an empty directory\n";
    return 1;
  }
  std::cout << "device names: " << names.size() << ", present: " << StatEach(names)
            << ", listed by the rescan: " << portsFound << ", rounds: " << kRounds << '\n';
  const std::string label =
      "port_rescan_us devices=" + (emptyDirectory ? std::string("empty") : deviceDirectory);
  return quillbrook::bench::PrintFigure(label, samples->ours, "reference_stat", samples->reference,
                                        "ports=" + std::to_string(portsFound))
             ? 0
             : 1;
}
