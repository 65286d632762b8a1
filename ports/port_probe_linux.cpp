// port_probe_linux.cpp: the Linux port probe: the device names, the probe, and who holds a device.
#include "ports/port_probe_linux.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <system_error>
#include <utility>

namespace quillbrook {

namespace {

bool IsProcessId(const std::string& name) {
  return !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

}  // namespace

std::vector<std::string> PortDeviceNames(std::string_view deviceDirectory) {
  // Boards bring their port along on USB, either their own (ttyACM) or an adapter's (ttyUSB), so
  // those come first and the first port listed is most likely the board; the built-in UARTs of a PC
  // (ttyS) and of ARM boards such as the Raspberry Pi (ttyAMA) follow.
  constexpr std::array<std::string_view, 4> kKinds{"ttyACM", "ttyUSB", "ttyS", "ttyAMA"};
  constexpr int kPortsPerKind = 64;
  const std::filesystem::path directory(deviceDirectory);
  std::vector<std::string> names;
  names.reserve(kKinds.size() * kPortsPerKind);
  for (const std::string_view kind : kKinds) {
    for (int number = 0; number < kPortsPerKind; ++number) {
      names.push_back((directory / (std::string(kind) + std::to_string(number))).string());
    }
  }
  return names;
}

std::unique_ptr<PortProbe> CreatePortProbe() {
  return std::make_unique<LinuxPortProbe>();
}

std::optional<std::unordered_set<dev_t>> FindOpenCharacterDevices(const std::string& processTable) {
  namespace fs = std::filesystem;
  std::error_code error;
  fs::directory_iterator process(processTable, error);
  if (error) {
    return std::nullopt;
  }
  std::unordered_set<dev_t> devices;
  for (; !error && process != fs::directory_iterator(); process.increment(error)) {
    if (!IsProcessId(process->path().filename().string())) {
      continue;
    }
    // A process that ends meanwhile, or is not ours to look into, simply has nothing to report.
    std::error_code unreadable;
    fs::directory_iterator descriptor(process->path() / "fd",
                                      fs::directory_options::skip_permission_denied, unreadable);
    for (; !unreadable && descriptor != fs::directory_iterator();
         descriptor.increment(unreadable)) {
      // Only links into /dev are followed: following every link would ask each file's file system
      // for its attributes, and a network file system that no longer answers would hang the rescan.
      std::error_code gone;
      const fs::path target = fs::read_symlink(descriptor->path(), gone);
      if (gone || !target.native().starts_with("/dev/")) {
        continue;
      }
      struct stat file {};
      if (::stat(descriptor->path().c_str(), &file) == 0 && S_ISCHR(file.st_mode)) {
        devices.insert(file.st_rdev);
      }
    }
  }
  return devices;
}

LinuxPortProbe::LinuxPortProbe(std::string processTable) : processTable_(std::move(processTable)) {}

void LinuxPortProbe::BeginRescan() {
  heldDevicesRead_ = false;
}

bool LinuxPortProbe::CanOpenExclusively(const std::string& devicePath) {
  struct stat node {};
  if (::stat(devicePath.c_str(), &node) != 0 || !S_ISCHR(node.st_mode)) {
    return false;
  }
  if (HeldByAnyProcess(node.st_rdev)) {
    return false;
  }
  // Non-blocking, so that a port waiting for its carrier cannot hold up the window; without taking
  // it as this program's controlling terminal; and never inherited by a program started meanwhile.
  const int port = ::open(devicePath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (port < 0) {
    return false;
  }
  termios settings{};
  const bool answers = ::tcgetattr(port, &settings) == 0;
  ::close(port);
  return answers;
}

bool LinuxPortProbe::HeldByAnyProcess(dev_t device) {
  if (!heldDevicesRead_) {
    // A process table that cannot be read shows no holder: the open alone then decides, as it
    // would without this probe's extra care, rather than no port being offered at all.
    heldDevices_ = FindOpenCharacterDevices(processTable_).value_or(std::unordered_set<dev_t>{});
    heldDevicesRead_ = true;
  }
  return heldDevices_.contains(device);
}

}  // namespace quillbrook
