// port_list_pty_tests.cpp: the port list and the Linux probe on real pseudo-terminals, named like
// serial ports in a directory that stands in for /dev.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "fake_choice_list.h"
#include "ports/port_list.h"
#include "ports/port_probe.h"
#include "ports/port_probe_linux.h"
#include "pty_fixtures.h"
#include "settings/board_types.h"
#include "settings/setting_keys.h"
#include "settings/settings_file.h"
#include "watch/hex_path_view.h"

namespace quillbrook {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
namespace fs = std::filesystem;

std::string UpperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class FakeHexPath : public HexPathView {
 public:
  std::string Text() const override { return text_; }
  void SetTextWithEcho(const std::string& text) override { text_ = text; }
  void SetTextWithoutEcho(const std::string& text) override { text_ = text; }

 private:
  std::string text_;
};

class PortListOnPtys : public ::testing::Test {
 protected:
  // Makes name in the stand-in for /dev a link to target.
  std::string Device(const std::string& name, const std::string& target) {
    fs::create_symlink(target, devices.File(name));
    return devices.File(name);
  }

  PortList MakeList(std::unique_ptr<PortProbe> probe = CreatePortProbe()) {
    return PortList(
        portBox, std::move(probe), PortDeviceNames(devices.path().string()),
        [this] { return remembered; }, [](const std::string&) { return false; });
  }

  testing::TempDir devices;
  testing::PseudoTerminal first;
  testing::PseudoTerminal second;
  testing::FakeChoiceList portBox;
  std::string remembered;
};

TEST_F(PortListOnPtys, ListsPresentPortsInProbeOrderAndClosesThemAgain) {
  const std::string usb0 = Device("ttyUSB0", first.port());
  const std::string acm3 = Device("ttyACM3", second.port());
  // Named like ports, but not among the names probed.
  testing::PseudoTerminal third;
  Device("ttyACM64", third.port());
  Device("rfcomm0", third.port());
  PortList list = MakeList();

  list.RescanPorts();
  EXPECT_THAT(portBox.Items(), ElementsAre(acm3, usb0));
  EXPECT_EQ(portBox.Text(), acm3);

  // A descriptor left open by the first rescan would make this process a holder.
  list.RescanPorts();
  EXPECT_THAT(portBox.Items(), ElementsAre(acm3, usb0));
}

TEST_F(PortListOnPtys, ReselectsTheRememberedPortWithoutRegardToLetterCase) {
  const std::string usb0 = Device("ttyUSB0", first.port());
  const std::string acm3 = Device("ttyACM3", second.port());
  const struct {
    std::string remembered;
    std::string selected;
  } cases[] = {
      {"", acm3},
      {UpperCase(usb0), usb0},
      {devices.File("ttyUSB5"), ""},
  };
  PortList list = MakeList();
  for (const auto& c : cases) {
    SCOPED_TRACE("remembered: " + c.remembered);
    remembered = c.remembered;
    list.RescanPorts();
    EXPECT_EQ(portBox.Text(), c.selected);
    EXPECT_THAT(portBox.Items(), ElementsAre(acm3, usb0));
  }
}

TEST_F(PortListOnPtys, SkipsAPortThatAnotherProcessHoldsOpen) {
  const std::string held = Device("ttyACM0", first.port());
  const std::string free = Device("ttyUSB1", second.port());
  remembered = held;
  PortList list = MakeList();
  for (const bool exclusive : {false, true}) {
    SCOPED_TRACE(exclusive ? "held for exclusive use" : "held");
    testing::HoldingProcess holder(first.port(), exclusive);

    list.RescanPorts();

    EXPECT_THAT(portBox.Items(), ElementsAre(free));
    EXPECT_EQ(portBox.Text(), "");  // the remembered port is the one in use
  }
}

TEST_F(PortListOnPtys, SkipsAPortThisProcessHoldsOpen) {
  const std::string held = Device("ttyACM0", first.port());
  const std::string free = Device("ttyUSB1", second.port());
  const int descriptor = ::open(first.port().c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  ASSERT_GE(descriptor, 0);
  PortList list = MakeList();

  list.RescanPorts();
  ::close(descriptor);

  EXPECT_THAT(portBox.Items(), ElementsAre(free));
}

TEST_F(PortListOnPtys, APortReleasedByItsHolderIsListedAtTheNextRescan) {
  const std::string port = Device("ttyUSB0", first.port());
  PortList list = MakeList();
  testing::HoldingProcess holder(first.port(), false);
  list.RescanPorts();
  ASSERT_THAT(portBox.Items(), IsEmpty());

  holder.Release();
  list.RescanPorts();

  EXPECT_THAT(portBox.Items(), ElementsAre(port));
  EXPECT_EQ(portBox.Text(), port);
}

TEST_F(PortListOnPtys, ListsOnlyTerminalsUnderThePortNames) {
  std::ofstream(devices.File("ttyACM0")) << "a file\n";
  ASSERT_EQ(::mkfifo(devices.File("ttyACM1").c_str(), 0600), 0);
  fs::create_directory(devices.File("ttyACM2"));
  Device("ttyACM3", "/dev/null");  // a character device, but no terminal
  Device("ttyACM4", devices.File("nowhere"));
  const std::string last = Device("ttyAMA63", first.port());
  // With no process known to hold anything, the kind of file alone must keep these out (many
  // processes hold /dev/null, which would hide it otherwise).
  testing::TempDir noProcesses;
  PortList list = MakeList(std::make_unique<LinuxPortProbe>(noProcesses.path().string()));

  list.RescanPorts();

  EXPECT_THAT(portBox.Items(), ElementsAre(last));
}

TEST_F(PortListOnPtys, NoPortAtAllGivesAnEmptyListAndNoSelection) {
  remembered = devices.File("ttyUSB0");
  PortList list = MakeList();

  list.RescanPorts();

  EXPECT_THAT(portBox.Items(), IsEmpty());
  EXPECT_EQ(portBox.Text(), "");
}

TEST_F(PortListOnPtys, TheProbeLeavesThePortsSettingsAsTheyWere) {
  Device("ttyUSB0", first.port());
  termios before{};
  ASSERT_EQ(::tcgetattr(first.master(), &before), 0);
  ::cfmakeraw(&before);
  ASSERT_EQ(::cfsetspeed(&before, B1200), 0);
  ASSERT_EQ(::tcsetattr(first.master(), TCSANOW, &before), 0);
  PortList list = MakeList();

  list.RescanPorts();

  ASSERT_THAT(portBox.Items(), ElementsAre(devices.File("ttyUSB0")));
  termios after{};
  ASSERT_EQ(::tcgetattr(first.master(), &after), 0);
  EXPECT_EQ(after.c_iflag, before.c_iflag);
  EXPECT_EQ(after.c_oflag, before.c_oflag);
  EXPECT_EQ(after.c_cflag, before.c_cflag);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(::cfgetospeed(&after), static_cast<speed_t>(B1200));
}

TEST_F(PortListOnPtys, WithoutAProcessTableTheOpenAloneDecides) {
  const std::string port = Device("ttyUSB0", first.port());
  testing::HoldingProcess holder(first.port(), false);
  const std::string missing = devices.File("no-proc");
  EXPECT_EQ(FindOpenCharacterDevices(missing), std::nullopt);
  PortList list = MakeList(std::make_unique<LinuxPortProbe>(missing));

  list.RescanPorts();

  EXPECT_THAT(portBox.Items(), ElementsAre(port));
}

// Wired as the program wires it: the remembered port is the current board type's.
TEST(PortListSettingsFile, ARescanWritesNothingAndSavePortWritesTheChoice) {
  testing::TempDir devices;
  testing::PseudoTerminal first;
  testing::PseudoTerminal second;
  const std::string acm0 = devices.File("ttyACM0");
  const std::string usb0 = devices.File("ttyUSB0");
  fs::create_symlink(first.port(), acm0);
  fs::create_symlink(second.port(), usb0);
  testing::TempDir home;
  const fs::path file = home.path() / "quillbrook.ini";
  const std::string content = "[init]\ntype=Uno\n\n[Nano]\nport=" + acm0 +
                              "\n\n[Uno]\navrdude_param=-P %1\nport=" + UpperCase(usb0) +
                              "\n; the user's own note\n";
  std::ofstream(file, std::ios::binary) << content;
  SettingsFile settings(file.string());
  testing::FakeChoiceList typeBox;
  testing::FakeChoiceList portBox;
  FakeHexPath hexPath;
  BoardTypes boardTypes(
      settings, typeBox, portBox, hexPath, [](const std::string&) {},
      [](const std::string&) { return false; });
  PortList list(
      portBox, CreatePortProbe(), PortDeviceNames(devices.path().string()),
      [&] { return boardTypes.ReadTypeSetting(keys::kPort.key); },
      [&](const std::string& port) { return boardTypes.WriteTypeSetting(keys::kPort.key, port); });
  boardTypes.LoadTypeList();

  list.RescanPorts();
  list.RescanPorts();

  EXPECT_EQ(portBox.Text(), usb0);
  EXPECT_EQ(ReadBytes(file), content);

  portBox.Select(0);
  ASSERT_TRUE(list.SavePort());
  EXPECT_EQ(settings.ReadSettingString("Uno", "port"), acm0);
  EXPECT_EQ(settings.ReadSettingString("Nano", "port"), acm0);
  list.RescanPorts();
  EXPECT_EQ(portBox.Text(), acm0);
}

}  // namespace
}  // namespace quillbrook
