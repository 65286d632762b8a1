// directory_watcher_tests.cpp: the directory watcher on real directories: what it reports, how it
// hands batches over, and how it stops.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/fake_main_thread.h"
#include "tests/watch/change_record_printer.h"
#include "tests/watch/scratch_files.h"
#include "watch/directory_watcher.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using testing::CountOpenDescriptors;
using testing::CountThreads;
using testing::FakeMainThread;
using testing::TempDir;
using testing::WaitFor;
using testing::Watchdog;
using testing::WriteFile;

// Every wait ends as soon as its condition holds; the bound only matters when something is wrong.
constexpr std::chrono::seconds kPatience(20);
constexpr std::chrono::seconds kHang(40);

class DirectoryWatcherTest : public ::testing::Test {
 protected:
  std::unique_ptr<DirectoryWatcher> MakeWatcher() {
    return CreateDirectoryWatcher(main_, [this](int action, const std::string& fullPath) {
      records_.push_back({action, fullPath});
      if (react_) {
        react_(records_.back());
      }
    });
  }

  bool Saw(const std::string& fullPath) const {
    return std::find(records_.begin(), records_.end(), ChangeRecord{kFileModified, fullPath}) !=
           records_.end();
  }
  bool RunUntilSeen(const std::string& fullPath) {
    return main_.RunUntil([&] { return Saw(fullPath); }, kPatience);
  }
  std::string In(const char* name) const { return dir_.File(name); }

  FakeMainThread main_;
  TempDir dir_;
  std::vector<ChangeRecord> records_;
  std::function<void(const ChangeRecord&)> react_;
  std::unique_ptr<DirectoryWatcher> watcher_ = MakeWatcher();
};

TEST_F(DirectoryWatcherTest, ReportsWritesToFilesDirectlyInTheDirectoryOnly) {
  ASSERT_TRUE(watcher_->Start(dir_.path()));
  ASSERT_TRUE(WriteFile(In("other.txt"), "x"));
  fs::create_directory(In("sub"));
  ASSERT_TRUE(WriteFile(In("sub/blink.hex"), "x"));
  ASSERT_TRUE(testing::AppendOnce(In("sub/blink.hex"), "y"));
  ASSERT_TRUE(WriteFile(In("blink.hex.tmp"), "new"));
  fs::rename(In("blink.hex.tmp"), In("blink.hex"));
  ASSERT_TRUE(testing::AppendOnce(In("blink.hex"), "more"));

  ASSERT_TRUE(RunUntilSeen(In("blink.hex")));
  main_.RunPending();
  // One record per write, in order; nothing for the subdirectory, its file or the rename.
  EXPECT_EQ(records_, (std::vector<ChangeRecord>{{kFileModified, In("other.txt")},
                                                 {kFileModified, In("blink.hex.tmp")},
                                                 {kFileModified, In("blink.hex")}}));
}

TEST_F(DirectoryWatcherTest, StartFailsWhereThereIsNoDirectoryToWatch) {
  ASSERT_TRUE(WriteFile(In("plain"), "x"));
  const std::size_t descriptors = CountOpenDescriptors();
  const std::size_t threads = CountThreads();
  for (const std::string& path : {std::string(), In("missing"), In("plain")}) {
    ASSERT_TRUE(watcher_->Start(dir_.path()));
    EXPECT_FALSE(watcher_->Start(path)) << '"' << path << '"';
    // The failed Start still ended the watch before it.
    EXPECT_EQ(CountOpenDescriptors(), descriptors) << '"' << path << '"';
    EXPECT_TRUE(WaitFor([&] { return CountThreads() == threads; }, kPatience));
  }
}

TEST_F(DirectoryWatcherTest, StopDuringAHandOverReturnsAndDropsTheBatch) {
  const std::vector<std::pair<const char*, std::function<void()>>> ends = {
      {"Stop", [&] { watcher_->Stop(); }},
      {"destruction", [&] { watcher_.reset(); }},
  };
  for (const auto& [end, run] : ends) {
    watcher_ = MakeWatcher();
    records_.clear();
    ASSERT_TRUE(watcher_->Start(dir_.path().string() + "/"));
    ASSERT_TRUE(WriteFile(In(end), "x"));
    // The worker has posted the batch and waits for the main thread, which is this one.
    ASSERT_TRUE(main_.WaitForPending(1, kPatience)) << end;
    {
      Watchdog watchdog(kHang, std::string(end) + " waited for the main thread");
      run();
    }
    EXPECT_EQ(main_.RunPending(), 1u) << end;
    EXPECT_TRUE(records_.empty()) << end << ": the queued batch reached the handler";
  }
}

enum class EndFromHandler { kStop, kRestart, kDestroy };

const char* NameOf(EndFromHandler end) {
  switch (end) {
    case EndFromHandler::kStop:
      return "Stop";
    case EndFromHandler::kRestart:
      return "Restart";
    case EndFromHandler::kDestroy:
      return "Destroy";
  }
  return "?";
}

void PrintTo(EndFromHandler end, std::ostream* out) {
  *out << NameOf(end);
}

class EndFromHandlerTest : public DirectoryWatcherTest,
                           public ::testing::WithParamInterface<EndFromHandler> {};

TEST_P(EndFromHandlerTest, DeliveryEndsAfterTheCurrentRecord) {
  ASSERT_TRUE(watcher_->Start(dir_.path()));
  ASSERT_TRUE(WriteFile(In("x"), "1"));
  ASSERT_TRUE(main_.WaitForPending(1, kPatience));
  // The worker waits on the batch {x}, so these three arrive together in the next one.
  for (const char* name : {"a", "b", "c"}) {
    ASSERT_TRUE(WriteFile(In(name), "1"));
  }
  react_ = [&](const ChangeRecord& record) {
    if (record.fullPath != In("a")) {
      return;
    }
    switch (GetParam()) {
      case EndFromHandler::kStop:
        watcher_->Stop();
        break;
      case EndFromHandler::kRestart:
        EXPECT_TRUE(watcher_->Start(dir_.path()));
        break;
      case EndFromHandler::kDestroy:
        watcher_.reset();
        break;
    }
  };
  {
    Watchdog watchdog(kHang, "ending the watch from its own handler hung");
    ASSERT_TRUE(RunUntilSeen(In("a")));
    main_.RunPending();
  }
  std::vector<ChangeRecord> expected{{kFileModified, In("x")}, {kFileModified, In("a")}};
  if (GetParam() == EndFromHandler::kRestart) {
    ASSERT_TRUE(WriteFile(In("y"), "1"));
    ASSERT_TRUE(RunUntilSeen(In("y")));
    main_.RunPending();
    expected.push_back({kFileModified, In("y")});
  }
  EXPECT_EQ(records_, expected);
}

INSTANTIATE_TEST_SUITE_P(, EndFromHandlerTest,
                         ::testing::Values(EndFromHandler::kStop, EndFromHandler::kRestart,
                                           EndFromHandler::kDestroy),
                         [](const ::testing::TestParamInfo<EndFromHandler>& info) {
                           return std::string(NameOf(info.param));
                         });

TEST_F(DirectoryWatcherTest, ARemovedDirectoryGoesSilentUntilTheNextStart) {
  const fs::path gone = dir_.path() / "gone";
  fs::create_directory(gone);
  const std::size_t threads = CountThreads();
  ASSERT_TRUE(watcher_->Start(gone));
  ASSERT_TRUE(WriteFile(gone / "blink.hex", "x"));
  ASSERT_TRUE(RunUntilSeen(gone.string() + "/blink.hex"));

  fs::remove_all(gone);
  EXPECT_TRUE(WaitFor([&] { return CountThreads() == threads; }, kPatience))
      << "the worker should end once the directory is gone";
  main_.RunPending();
  EXPECT_EQ(records_, (std::vector<ChangeRecord>{{kFileModified, gone.string() + "/blink.hex"}}));

  EXPECT_FALSE(watcher_->Start(gone));
  fs::create_directory(gone);
  ASSERT_TRUE(watcher_->Start(gone.string() + "/"));
  ASSERT_TRUE(WriteFile(gone / "blink.hex", "x"));
  EXPECT_TRUE(RunUntilSeen(gone.string() + "/blink.hex"));
}

TEST_F(DirectoryWatcherTest, AnOverflowingQueueGivesOneRecordOfLostChanges) {
  long limit = 0;
  std::ifstream("/proc/sys/fs/inotify/max_queued_events") >> limit;
  if (limit <= 0 || limit > 1'000'000) {
    GTEST_SKIP() << "inotify queue limit " << limit << " is too large to fill here";
  }
  ASSERT_TRUE(watcher_->Start(dir_.path()));
  ASSERT_TRUE(WriteFile(In("first"), "x"));
  ASSERT_TRUE(main_.WaitForPending(1, kPatience));
  // While the worker waits, the kernel queues the events. Writes alternate between two files,
  // since the kernel folds an event into an identical one just before it.
  ASSERT_TRUE(WriteFile(In("a"), "x"));
  ASSERT_TRUE(WriteFile(In("b"), "x"));
  const int files[2] = {::open(In("a").c_str(), O_WRONLY | O_CLOEXEC),
                        ::open(In("b").c_str(), O_WRONLY | O_CLOEXEC)};
  ASSERT_GE(files[0], 0);
  ASSERT_GE(files[1], 0);
  for (long i = 0; i <= limit; ++i) {
    ASSERT_EQ(::write(files[i % 2], "x", 1), 1);
  }
  ::close(files[0]);
  ::close(files[1]);

  const ChangeRecord lost{kChangesLost, dir_.path().string() + "/"};
  ASSERT_TRUE(main_.RunUntil(
      [&] { return std::find(records_.begin(), records_.end(), lost) != records_.end(); },
      kPatience));
  main_.RunPending();
  EXPECT_EQ(std::count(records_.begin(), records_.end(), lost), 1);
  EXPECT_EQ(std::count_if(records_.begin(), records_.end(),
                          [](const ChangeRecord& r) { return r.action == kChangesLost; }),
            1);
}

TEST_F(DirectoryWatcherTest, StartAndStopLeaveNoDescriptorsOrThreadsBehind) {
  const std::size_t descriptors = CountOpenDescriptors();
  const std::size_t threads = CountThreads();
  for (int cycle = 0; cycle < 100; ++cycle) {
    ASSERT_TRUE(watcher_->Start(dir_.path()));
    ASSERT_TRUE(watcher_->Start(dir_.path()));
    watcher_->Stop();
    watcher_->Stop();
  }
  EXPECT_EQ(CountOpenDescriptors(), descriptors);
  EXPECT_TRUE(WaitFor([&] { return CountThreads() == threads; }, kPatience));

  ASSERT_TRUE(watcher_->Start(dir_.path()));
  ASSERT_TRUE(WriteFile(In("blink.hex"), "x"));
  EXPECT_TRUE(RunUntilSeen(In("blink.hex")));
}

}  // namespace
}  // namespace quillbrook
