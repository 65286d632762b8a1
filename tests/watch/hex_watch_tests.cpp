// hex_watch_tests.cpp: which directory the HEX watch watches and which records raise HexChanged,
// on a fake directory watcher.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "watch/hex_watch.h"

namespace quillbrook {
namespace {

// Records Start and Stop; the test delivers change records through the handler it was given.
class FakeDirectoryWatcher : public DirectoryWatcher {
 public:
  FakeDirectoryWatcher(std::vector<std::string>& calls, bool& startSucceeds)
      : calls_(calls), startSucceeds_(startSucceeds) {}
  bool Start(const std::string& directory) override {
    calls_.push_back("Start " + directory);
    return startSucceeds_;
  }
  void Stop() override { calls_.push_back("Stop"); }

 private:
  std::vector<std::string>& calls_;
  bool& startSucceeds_;
};

class HexWatchTest : public ::testing::Test {
 protected:
  void Deliver(int action, const std::string& fullPath) { onChange_(action, fullPath); }

  std::vector<std::string> calls_;
  bool startSucceeds_ = true;
  int hexChanged_ = 0;
  DirectoryWatcher::ChangeHandler onChange_;
  HexWatch watch_{[this](DirectoryWatcher::ChangeHandler onChange) {
                    onChange_ = std::move(onChange);
                    return std::make_unique<FakeDirectoryWatcher>(calls_, startSucceeds_);
                  },
                  [this] { ++hexChanged_; }};
};

TEST_F(HexWatchTest, RestartWatchesTheDirectoryOfThePath) {
  struct Case {
    std::string path;
    bool startSucceeds;
    std::string directory;
    std::string name;
    std::string call;
    bool watching;
  };
  const Case cases[] = {
      {"/home/me/blink.hex", true, "/home/me/", "blink.hex", "Start /home/me/", true},
      {"/home/me/blink.hex", true, "/home/me/", "blink.hex", "Start /home/me/", true},
      {"blink.hex", true, "./", "blink.hex", "Start ./", true},
      {"/home/me/", true, "/home/me/", "", "Start /home/me/", true},
      {"/missing/blink.hex", false, "/missing/", "blink.hex", "Start /missing/", false},
      {"", true, "", "", "Stop", false},
  };
  for (const Case& c : cases) {
    calls_.clear();
    startSucceeds_ = c.startSucceeds;
    EXPECT_EQ(watch_.RestartHexWatch(c.path), c.watching) << c.path;
    EXPECT_EQ(watch_.hexDirectory(), c.directory) << c.path;
    EXPECT_EQ(watch_.hexName(), c.name) << c.path;
    EXPECT_EQ(calls_, std::vector<std::string>{c.call}) << c.path;
  }
}

TEST_F(HexWatchTest, OnlyModificationsOfExactlyTheHexNameRaiseHexChanged) {
  struct Case {
    int action;
    std::string fullPath;
    int raised;
  };
  const Case cases[] = {
      {kFileModified, "/w/blink.hex", 1},
      {kChangesLost, "/w/blink.hex", 0},
      {kFileAdded, "/w/blink.hex", 0},
      {kFileRemoved, "/w/blink.hex", 0},
      {kFileRenamedFrom, "/w/blink.hex", 0},
      {kFileRenamedTo, "/w/blink.hex", 0},
      {kChangesLost, "/w/", 0},
      {kFileModified, "/w/BLINK.HEX", 0},
      {kFileModified, "/w/blink.hex~", 0},
      {kFileModified, "/w/ blink.hex", 0},
      {kFileModified, "/w/blink", 0},
  };
  ASSERT_TRUE(watch_.RestartHexWatch("/w/blink.hex"));
  for (const Case& c : cases) {
    hexChanged_ = 0;
    Deliver(c.action, c.fullPath);
    EXPECT_EQ(hexChanged_, c.raised) << c.action << " " << c.fullPath;
  }
}

TEST_F(HexWatchTest, EveryMatchingRecordRaisesItsOwnHexChanged) {
  ASSERT_TRUE(watch_.RestartHexWatch("blink.hex"));
  Deliver(kFileModified, "./blink.hex");
  Deliver(kFileModified, "./other.hex");
  Deliver(kFileModified, "./blink.hex");
  EXPECT_EQ(hexChanged_, 2);
}

TEST_F(HexWatchTest, AnEmptyHexNameNeverMatches) {
  ASSERT_TRUE(watch_.RestartHexWatch("/w/"));
  Deliver(kFileModified, "/w/");
  Deliver(kChangesLost, "/w/");
  ASSERT_FALSE(watch_.RestartHexWatch(""));
  Deliver(kFileModified, "./");
  EXPECT_EQ(hexChanged_, 0);
}

}  // namespace
}  // namespace quillbrook
