// hex_watch_file_tests.cpp: the HEX watch on real directories: which writes raise HexChanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fake_main_thread.h"
#include "tests/watch/scratch_files.h"
#include "watch/hex_watch.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using testing::AppendOnce;
using testing::FakeMainThread;
using testing::TempDir;
using testing::WriteFile;

constexpr std::chrono::seconds kPatience(20);

// The real watcher, tapped: the test sees every record, and for each HexChanged the record that
// raised it.
class HexWatchOnDiskTest : public ::testing::Test {
 protected:
  std::unique_ptr<DirectoryWatcher> TappedWatcher(DirectoryWatcher::ChangeHandler onChange) {
    return CreateDirectoryWatcher(
        main_, [this, onChange = std::move(onChange)](int action, const std::string& fullPath) {
          seen_.push_back(fullPath);
          delivering_ = fullPath;
          onChange(action, fullPath);
          delivering_.clear();
        });
  }

  bool RunUntilRaised() {
    return main_.RunUntil([&] { return !raisedFor_.empty(); }, kPatience);
  }
  // Writes a new marker file in directory and runs the main thread until its record arrives: by
  // then every change made before it has been handled.
  bool Settle(const std::string& directory) {
    const std::string marker = directory + "marker-" + std::to_string(++markers_);
    return WriteFile(marker, "m") &&
           main_.RunUntil(
               [&] { return std::find(seen_.begin(), seen_.end(), marker) != seen_.end(); },
               kPatience);
  }
  bool Settle() { return Settle(dir_.path().string() + "/"); }
  std::string In(const char* name) const { return dir_.File(name); }

  FakeMainThread main_;
  TempDir dir_;
  std::vector<std::string> seen_;
  std::string delivering_;
  std::vector<std::string> raisedFor_;
  int markers_ = 0;
  HexWatch watch_{[this](DirectoryWatcher::ChangeHandler onChange) {
                    return TappedWatcher(std::move(onChange));
                  },
                  [this] { raisedFor_.push_back(delivering_); }};
};

TEST_F(HexWatchOnDiskTest, EveryWriteOfTheHexFileRaisesHexChanged) {
  ASSERT_TRUE(watch_.RestartHexWatch(In("blink.hex")));
  for (const char* content : {"first", "second, longer", "third"}) {
    raisedFor_.clear();
    ASSERT_TRUE(WriteFile(In("blink.hex"), content));
    ASSERT_TRUE(RunUntilRaised()) << content;
    ASSERT_TRUE(Settle());
    EXPECT_EQ(raisedFor_, std::vector<std::string>(raisedFor_.size(), In("blink.hex"))) << content;
  }
}

TEST_F(HexWatchOnDiskTest, OtherFilesSubdirectoriesAndRenamesRaiseNothing) {
  ASSERT_TRUE(watch_.RestartHexWatch(In("blink.hex")));
  ASSERT_TRUE(WriteFile(In("other.hex"), "x"));
  ASSERT_TRUE(WriteFile(In("BLINK.HEX"), "x"));
  fs::create_directory(In("blink.hex.d"));
  ASSERT_TRUE(WriteFile(In("blink.hex.d/blink.hex"), "x"));
  fs::create_directory(In("sub"));
  ASSERT_TRUE(WriteFile(In("sub/blink.hex"), "x"));
  ASSERT_TRUE(AppendOnce(In("sub/blink.hex"), "y"));
  // The way many tools replace a file: write a temporary one, rename it onto the name.
  ASSERT_TRUE(WriteFile(In("blink.hex.tmp"), "x"));
  fs::rename(In("blink.hex.tmp"), In("blink.hex"));
  ASSERT_TRUE(Settle());
  EXPECT_TRUE(raisedFor_.empty());

  // The renamed file is the HEX file now: its next write counts.
  ASSERT_TRUE(AppendOnce(In("blink.hex"), "z"));
  ASSERT_TRUE(RunUntilRaised());
  ASSERT_TRUE(Settle());
  EXPECT_EQ(raisedFor_, std::vector<std::string>{In("blink.hex")});
}

TEST_F(HexWatchOnDiskTest, AHexFileDeletedAndWrittenAnewRaisesHexChanged) {
  ASSERT_TRUE(WriteFile(In("blink.hex"), "old"));
  ASSERT_TRUE(watch_.RestartHexWatch(In("blink.hex")));
  fs::remove(In("blink.hex"));
  ASSERT_TRUE(Settle());
  EXPECT_TRUE(raisedFor_.empty()) << "a deletion is no write";

  ASSERT_TRUE(WriteFile(In("blink.hex"), "new"));
  ASSERT_TRUE(RunUntilRaised());
  EXPECT_EQ(raisedFor_, std::vector<std::string>{In("blink.hex")});
}

// Runs in the scratch directory, and goes back where it was afterwards.
class HexWatchInCurrentDirectoryTest : public HexWatchOnDiskTest {
 protected:
  void SetUp() override { fs::current_path(dir_.path()); }
  void TearDown() override { fs::current_path(previous_); }

  fs::path previous_ = fs::current_path();
};

TEST_F(HexWatchInCurrentDirectoryTest, APathWithoutSlashIsWatchedWhereItIsOpened) {
  fs::create_directory("sub");
  ASSERT_TRUE(watch_.RestartHexWatch("blink.hex"));
  EXPECT_EQ(watch_.hexDirectory(), "./");
  ASSERT_TRUE(WriteFile("sub/blink.hex", "x"));
  ASSERT_TRUE(Settle("./"));
  EXPECT_TRUE(raisedFor_.empty());

  ASSERT_TRUE(WriteFile("blink.hex", "x"));
  ASSERT_TRUE(RunUntilRaised());
  EXPECT_EQ(raisedFor_, std::vector<std::string>{"./blink.hex"});
}

}  // namespace
}  // namespace quillbrook
