// port_list_tests.cpp: the port list's order and selection, and the device names, on a fake probe.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fake_choice_list.h"
#include "ports/port_list.h"
#include "ports/port_probe.h"

namespace quillbrook {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr const char* kRescanBegins = "(rescan begins)";

// Answers from a set of present devices and records every call, in order.
class FakeProbe : public PortProbe {
 public:
  FakeProbe(const std::set<std::string>& present, std::vector<std::string>& asked)
      : present_(present), asked_(asked) {}
  void BeginRescan() override { asked_.push_back(kRescanBegins); }
  bool CanOpenExclusively(const std::string& devicePath) override {
    asked_.push_back(devicePath);
    return present_.contains(devicePath);
  }

 private:
  const std::set<std::string>& present_;
  std::vector<std::string>& asked_;
};

class PortListTest : public ::testing::Test {
 protected:
  PortList MakeList() {
    return PortList(
        portBox, std::make_unique<FakeProbe>(present, asked), PortDeviceNames("/dev"),
        [this] { return remembered; },
        [this](const std::string& port) {
          saved.push_back(port);
          return saveSucceeds;
        });
  }

  testing::FakeChoiceList portBox;
  std::set<std::string> present;
  std::vector<std::string> asked;
  std::string remembered;
  std::vector<std::string> saved;
  bool saveSucceeds = true;
};

TEST_F(PortListTest, ListsWhatOpensInTheOrderOfTheNamesAfterAskingForEveryName) {
  present = {"/dev/ttyS0", "/dev/ttyACM10", "/dev/ttyUSB0", "/dev/ttyACM2", "/dev/ttyAMA63"};
  PortList list = MakeList();

  list.RescanPorts();

  EXPECT_THAT(portBox.Items(), ElementsAre("/dev/ttyACM2", "/dev/ttyACM10", "/dev/ttyUSB0",
                                           "/dev/ttyS0", "/dev/ttyAMA63"));
  EXPECT_EQ(portBox.Text(), "/dev/ttyACM2");
  std::vector<std::string> expected{kRescanBegins};
  for (const std::string& name : PortDeviceNames("/dev")) {
    expected.push_back(name);
  }
  EXPECT_EQ(asked, expected);
}

TEST_F(PortListTest, ReselectsTheRememberedPortAndSavesNothing) {
  present = {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1"};
  const struct {
    std::string remembered;
    std::string selected;
  } cases[] = {
      {"", "/dev/ttyACM0"},              // nothing remembered: the first port stays
      {"/dev/ttyUSB1", "/dev/ttyUSB1"},  // remembered and present
      {"/DEV/TTYusb1", "/dev/ttyUSB1"},  // letter case does not count
      {"/dev/ttyusb*", "/dev/ttyUSB0"},  // a prefix picks the first port it begins
      {"/dev/ttyUSB7", ""},              // remembered but absent: no port
      {"COM3", ""},                      // a name from another system: no port
  };
  PortList list = MakeList();
  for (const auto& c : cases) {
    SCOPED_TRACE("remembered: " + c.remembered);
    remembered = c.remembered;

    list.RescanPorts();

    EXPECT_EQ(portBox.Text(), c.selected);
    EXPECT_THAT(portBox.Items(), ElementsAre("/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1"));
  }
  EXPECT_THAT(saved, IsEmpty());
}

TEST_F(PortListTest, ARescanThatFindsNothingLeavesAnEmptyListWithoutSelection) {
  present = {"/dev/ttyUSB0"};
  PortList list = MakeList();
  list.RescanPorts();
  ASSERT_EQ(portBox.Text(), "/dev/ttyUSB0");

  present.clear();
  remembered = "/dev/ttyUSB0";
  list.RescanPorts();

  EXPECT_THAT(portBox.Items(), IsEmpty());
  EXPECT_EQ(portBox.Text(), "");
}

TEST_F(PortListTest, SavePortWritesTheChosenPortAsListedAndReportsTheWrite) {
  present = {"/dev/ttyACM0", "/dev/ttyUSB3"};
  PortList list = MakeList();
  list.RescanPorts();
  portBox.Select(1);

  EXPECT_TRUE(list.SavePort());
  saveSucceeds = false;
  EXPECT_FALSE(list.SavePort());

  EXPECT_THAT(saved, ElementsAre("/dev/ttyUSB3", "/dev/ttyUSB3"));
}

TEST(PortDeviceNames, AreTheFourKindsOfPortEachInAscendingNumber) {
  const std::vector<std::string> names = PortDeviceNames("/dev");
  ASSERT_EQ(names.size(), 256u);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  const std::pair<std::size_t, const char*> positions[] = {
      {0, "/dev/ttyACM0"},   {2, "/dev/ttyACM2"},    {10, "/dev/ttyACM10"}, {63, "/dev/ttyACM63"},
      {64, "/dev/ttyUSB0"},  {127, "/dev/ttyUSB63"}, {128, "/dev/ttyS0"},   {191, "/dev/ttyS63"},
      {192, "/dev/ttyAMA0"}, {255, "/dev/ttyAMA63"},
  };
  for (const auto& [index, name] : positions) {
    EXPECT_EQ(names[index], name) << "at " << index;
  }
}

TEST(PortDeviceNames, AreJoinedToTheGivenDirectory) {
  EXPECT_EQ(PortDeviceNames("/tmp/devices").front(), "/tmp/devices/ttyACM0");
  EXPECT_EQ(PortDeviceNames("/tmp/devices/").back(), "/tmp/devices/ttyAMA63");
  EXPECT_EQ(PortDeviceNames().front(), "/dev/ttyACM0");
}

}  // namespace
}  // namespace quillbrook
