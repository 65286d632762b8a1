// avrdude_launcher_test.cpp: the avrdude launch, with and without log, on real processes.
#include "flash/avrdude_launcher.h"

#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "flash/param_template.h"
#include "tests/flash/fake_record.h"
#include "tests/flash/file_fixtures.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace std::string_literals;
using testing::CurrentDirectory;
using testing::TempDir;
using testing::WriteFile;
using Words = std::vector<std::string>;

// Generous: the sanitizer builds start processes slowly, and a machine may be busy.
constexpr auto kPatience = 30s;

constexpr fs::perms kExecutable = fs::perms::owner_all | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read |
                                  fs::perms::others_exec;

constexpr const char* kFakeVariables[] = {"FAKE_AVRDUDE_STDOUT_BYTES", "FAKE_AVRDUDE_STDOUT",
                                          "FAKE_AVRDUDE_STDERR", "FAKE_AVRDUDE_HANG"};

// Waits for something another process or thread brings about, looking again every few ms.
bool WaitUntil(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

std::size_t CountEntries(const fs::path& directory) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

std::size_t OpenDescriptors() {
  return CountEntries("/proc/self/fd");
}
std::size_t Threads() {
  return CountEntries("/proc/self/task");
}

// The threads of this process before a launcher adds any. The thread sanitizer's runtime starts a
// helper thread along with a process's first thread, so one thread is started (and joined) first.
std::size_t ThreadsBeforeLaunching() {
  std::thread([] {}).join();
  return Threads();
}

// Every process whose parent is this one, zombies included.
std::vector<pid_t> Children() {
  std::vector<pid_t> children;
  for (const fs::directory_entry& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    std::ifstream stat(entry.path() / "stat");
    const std::string line((std::istreambuf_iterator<char>(stat)),
                           std::istreambuf_iterator<char>());
    // "pid (comm) state ppid ...": the command may hold anything, so read after its last ')'.
    const std::size_t commEnd = line.rfind(')');
    if (commEnd == std::string::npos) {
      continue;  // the process ended while we looked
    }
    char state = 0;
    long parent = 0;
    if (std::sscanf(line.c_str() + commEnd + 1, " %c %ld", &state, &parent) == 2 &&
        parent == ::getpid()) {
      children.push_back(static_cast<pid_t>(std::stol(name)));
    }
  }
  return children;
}

// True while `pid` names a process, a zombie included.
bool Exists(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno != ESRCH;
}

struct Record {
  pid_t pid;
  Words argv;
  std::vector<int> descriptors;  // open when it started
};

// Collects a launcher's events, from the reader thread and from the caller.
class EventRecorder {
 public:
  LaunchEvents Events() {
    return {[this] { Ended(); }, [this](std::string chunk) { Arrived(std::move(chunk)); }};
  }

  // Runs inside avrdudeEnded, on the thread that raised it.
  std::function<void()> whenEnded;

  // The error output received, once it is at least `size` bytes long or kPatience has passed.
  std::string WaitForErrorOutput(std::size_t size) {
    std::unique_lock lock(mutex_);
    changed_.wait_for(lock, kPatience, [&] { return errorOutput_.size() >= size; });
    return errorOutput_;
  }
  std::string ErrorOutput() const {
    const std::lock_guard lock(mutex_);
    return errorOutput_;
  }
  std::vector<std::size_t> ChunkSizes() const {
    const std::lock_guard lock(mutex_);
    return chunkSizes_;
  }
  int EndedCount() const {
    const std::lock_guard lock(mutex_);
    return ended_;
  }

 private:
  void Ended() {
    {
      const std::lock_guard lock(mutex_);
      ++ended_;
    }
    if (whenEnded) {
      whenEnded();
    }
  }
  void Arrived(std::string chunk) {
    const std::lock_guard lock(mutex_);
    chunkSizes_.push_back(chunk.size());
    errorOutput_ += chunk;
    changed_.notify_all();
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::string errorOutput_;
  std::vector<std::size_t> chunkSizes_;
  int ended_ = 0;
};

class AvrdudeLauncherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv(testing::kRecordDirVariable, records_.c_str(), 1);
    ClearFakeVariables();
  }
  void TearDown() override {
    ::unsetenv(testing::kRecordDirVariable);
    ClearFakeVariables();
  }
  static void ClearFakeVariables() {
    for (const char* variable : kFakeVariables) {
      ::unsetenv(variable);
    }
  }

  // Copies a fake program into `directory` under `name`; gives its full path.
  static std::string Install(const char* fake, const std::string& directory,
                             const std::string& name) {
    const std::string path = directory + "/" + name;
    fs::copy_file(fake, path, fs::copy_options::overwrite_existing);
    fs::permissions(path, kExecutable);
    return path;
  }

  std::unique_ptr<AvrdudeLauncher> MakeLauncher(const std::string& terminal = "") {
    return CreateAvrdudeLauncher({own_, "relative:" + path_ + "::", terminal}, events_.Events());
  }

  // The records the fakes in role `role` ("avrdude", "terminal") left, removed once read.
  std::vector<Record> TakeRecords(const std::string& role) {
    std::vector<Record> records;
    const std::string prefix = role + "-";
    for (const fs::directory_entry& entry : fs::directory_iterator(records_)) {
      const std::string name = entry.path().filename();
      if (entry.path().extension() != ".argv" || name.rfind(prefix, 0) != 0) {
        continue;
      }
      Record record{static_cast<pid_t>(std::stol(name.substr(prefix.size()))), {}, {}};
      std::ifstream arguments(entry.path(), std::ios::binary);
      for (std::string word; std::getline(arguments, word, '\0');) {
        record.argv.push_back(word);
      }
      fs::path descriptors = entry.path();
      descriptors.replace_extension(".fds");
      std::ifstream descriptorList(descriptors);
      for (int fd = 0; descriptorList >> fd;) {
        record.descriptors.push_back(fd);
      }
      records.push_back(std::move(record));
      fs::remove(entry.path());
      fs::remove(descriptors);
    }
    return records;
  }

  // Waits until `count` fakes in role `role` have recorded themselves, and takes their records.
  std::vector<Record> WaitForRecords(const std::string& role, std::size_t count) {
    std::vector<Record> records;
    WaitUntil([&] {
      std::vector<Record> more = TakeRecords(role);
      records.insert(records.end(), more.begin(), more.end());
      return records.size() >= count;
    });
    return records;
  }

  TempDir root_;
  const std::string own_ = root_.MakeDirectory("own");
  const std::string path_ = root_.MakeDirectory("path");
  const std::string records_ = root_.MakeDirectory("records");
  EventRecorder events_;
};

TEST_F(AvrdudeLauncherTest, AvrdudeReceivesTheExpandedTemplateSplitAndNoShellSeesIt) {
  const std::string avrdude = Install(QUILLBROOK_FAKE_AVRDUDE, own_, "avrdude");
  const std::string flashArgs =
      ExpandParamTemplate(R"(-p m328p -P %1 -U "flash:w:%2:i" -o %2 -C a\\b\\"c d" -x "q\"uote" )"
                          R"(;|&$() $(touch pwned) `touch pwned` 'single quoted' 100%%)",
                          "ttyUSB0", "my dir/fw (1);$HOME.hex");
  const CurrentDirectory inWork(root_.MakeDirectory("work"));
  const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher();

  ASSERT_EQ(launcher->LaunchWithoutLog(flashArgs), LaunchResult::kStarted);

  const std::vector<Record> records = WaitForRecords("avrdude", 1);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].argv, (Words{avrdude,
                                    "-p",
                                    "m328p",
                                    "-P",
                                    "ttyUSB0",
                                    "-U",
                                    "flash:w:my dir/fw (1);$HOME.hex:i",
                                    "-o",
                                    "my",
                                    "dir/fw",
                                    "(1);$HOME.hex",
                                    "-C",
                                    R"(a\\b\c d)",
                                    "-x",
                                    R"(q"uote)",
                                    ";|&$()",
                                    "$(touch",
                                    "pwned)",
                                    "`touch",
                                    "pwned`",
                                    "'single",
                                    "quoted'",
                                    "100%"}));
  EXPECT_FALSE(fs::exists(root_.path() / "work" / "pwned"));
}

TEST_F(AvrdudeLauncherTest, HiddenRunReportsItsErrorOutputInChunksAndEndsByItself) {
  Install(QUILLBROOK_FAKE_AVRDUDE, path_, "avrdude");
  std::string errorText;
  for (int line = 0; line < 400; ++line) {
    errorText += "avrdude: writing flash, line " + std::to_string(line) + "\n";
  }
  // More standard output than a pipe holds, written first: the error output can only follow
  // if the standard output is drained.
  ::setenv("FAKE_AVRDUDE_STDOUT_BYTES", "300000", 1);
  ::setenv("FAKE_AVRDUDE_STDOUT", "standard output", 1);
  ::setenv("FAKE_AVRDUDE_STDERR", errorText.c_str(), 1);
  const std::size_t threadsBefore = ThreadsBeforeLaunching();
  const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher();

  ASSERT_EQ(launcher->LaunchWithoutLog("-v"), LaunchResult::kStarted);

  EXPECT_EQ(events_.WaitForErrorOutput(errorText.size()), errorText);
  // avrdude ended by itself: it is reaped at once and its reader is gone, without a new launch.
  EXPECT_TRUE(WaitUntil([] { return Children().empty(); }));
  EXPECT_TRUE(WaitUntil([&] { return Threads() == threadsBefore; }));
  EXPECT_EQ(events_.ErrorOutput(), errorText);
  const std::vector<std::size_t> sizes = events_.ChunkSizes();
  EXPECT_GE(sizes.size(), errorText.size() / 1024 + 1);
  for (const std::size_t size : sizes) {
    EXPECT_GE(size, 1u);
    EXPECT_LE(size, 1024u);
  }
  EXPECT_EQ(events_.EndedCount(), 0);
}

TEST_F(AvrdudeLauncherTest, NextLaunchKillsTheRunningAvrdudeFirst) {
  Install(QUILLBROOK_FAKE_AVRDUDE, own_, "avrdude");
  ::setenv("FAKE_AVRDUDE_HANG", "1", 1);
  const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher();

  ASSERT_EQ(launcher->LaunchWithoutLog("first"), LaunchResult::kStarted);
  const std::vector<Record> first = WaitForRecords("avrdude", 1);
  ASSERT_EQ(first.size(), 1u);
  ASSERT_EQ(launcher->LaunchWithoutLog("second"), LaunchResult::kStarted);

  EXPECT_FALSE(Exists(first[0].pid)) << "killed and reaped before the launch returned";
  const std::vector<Record> second = WaitForRecords("avrdude", 1);
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(second[0].argv.at(1), "second");
  EXPECT_EQ(Children(), std::vector<pid_t>{second[0].pid});
}

TEST_F(AvrdudeLauncherTest, DestroyingTheLauncherKillsAHangingAvrdude) {
  Install(QUILLBROOK_FAKE_AVRDUDE, own_, "avrdude");
  ::setenv("FAKE_AVRDUDE_HANG", "1", 1);
  const std::size_t threadsBefore = ThreadsBeforeLaunching();
  std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher();
  ASSERT_EQ(launcher->LaunchWithoutLog("-v"), LaunchResult::kStarted);
  const std::vector<Record> records = WaitForRecords("avrdude", 1);
  ASSERT_EQ(records.size(), 1u);

  launcher.reset();

  EXPECT_FALSE(Exists(records[0].pid));
  EXPECT_TRUE(Children().empty());
  EXPECT_EQ(Threads(), threadsBefore);
}

TEST_F(AvrdudeLauncherTest, MissingAvrdudeStartsNothingAndRaisesNoEvent) {
  Install(QUILLBROOK_FAKE_TERMINAL, own_, "fake-terminal");
  const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher("fake-terminal");

  EXPECT_EQ(launcher->LaunchWithLog("-v"), LaunchResult::kAvrdudeNotFound);
  EXPECT_EQ(launcher->LaunchWithoutLog("-v"), LaunchResult::kAvrdudeNotFound);

  // A run still going is ended all the same.
  const std::string avrdude = Install(QUILLBROOK_FAKE_AVRDUDE, path_, "avrdude");
  ::setenv("FAKE_AVRDUDE_HANG", "1", 1);
  ASSERT_EQ(launcher->LaunchWithoutLog("-v"), LaunchResult::kStarted);
  const std::vector<Record> running = WaitForRecords("avrdude", 1);
  ASSERT_EQ(running.size(), 1u);
  fs::remove(avrdude);
  EXPECT_EQ(launcher->LaunchWithoutLog("-v"), LaunchResult::kAvrdudeNotFound);

  EXPECT_FALSE(Exists(running[0].pid));
  EXPECT_TRUE(Children().empty());
  EXPECT_TRUE(TakeRecords("terminal").empty());
  EXPECT_TRUE(TakeRecords("avrdude").empty());
  EXPECT_EQ(events_.EndedCount(), 0);
  EXPECT_EQ(events_.ErrorOutput(), "");
}

TEST_F(AvrdudeLauncherTest, LogModeRunsAvrdudeInTheTerminalAndRaisesEndedOnceItHasEnded) {
  const std::string terminal = Install(QUILLBROOK_FAKE_TERMINAL, own_, "fake-terminal");
  const std::string avrdude = Install(QUILLBROOK_FAKE_AVRDUDE, path_, "avrdude");
  std::vector<Record> avrdudeAtEnd;
  std::thread::id endedOn;
  events_.whenEnded = [&] {
    avrdudeAtEnd = TakeRecords("avrdude");
    endedOn = std::this_thread::get_id();
  };
  const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher("fake-terminal");

  // Only the log mode strips the command line: the quoted word loses its trailing blanks.
  ASSERT_EQ(launcher->LaunchWithLog("  -v \"x y \t\r\n"), LaunchResult::kStarted);

  EXPECT_EQ(events_.EndedCount(), 1);
  EXPECT_EQ(endedOn, std::this_thread::get_id());
  ASSERT_EQ(avrdudeAtEnd.size(), 1u) << "avrdude had run when avrdudeEnded came";
  EXPECT_EQ(avrdudeAtEnd[0].argv, (Words{avrdude, "-v", "x y"}));
  const std::vector<Record> terminals = TakeRecords("terminal");
  ASSERT_EQ(terminals.size(), 1u);
  EXPECT_EQ(terminals[0].argv, (Words{terminal, "-e", avrdude, "-v", "x y"}));
  EXPECT_TRUE(Children().empty()) << "the terminal was waited for and reaped";

  // Empty arguments start the bare program.
  ASSERT_EQ(launcher->LaunchWithLog(""), LaunchResult::kStarted);
  EXPECT_EQ(events_.EndedCount(), 2);
  ASSERT_EQ(avrdudeAtEnd.size(), 1u);
  EXPECT_EQ(avrdudeAtEnd[0].argv, Words{avrdude});

  // The run without log takes the same line unstripped.
  ASSERT_EQ(launcher->LaunchWithoutLog("  -v \"x y \t\r\n"), LaunchResult::kStarted);
  const std::vector<Record> hidden = WaitForRecords("avrdude", 1);
  ASSERT_EQ(hidden.size(), 1u);
  EXPECT_EQ(hidden[0].argv, (Words{avrdude, "-v", "x y \t\r\n"}));
  EXPECT_EQ(events_.EndedCount(), 2);
}

TEST_F(AvrdudeLauncherTest, NothingStartsWithoutATerminalOrWithArgumentsNoProgramCanReceive) {
  Install(QUILLBROOK_FAKE_AVRDUDE, own_, "avrdude");
  const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher("no-such-terminal");

  EXPECT_EQ(launcher->LaunchWithLog("-v"), LaunchResult::kTerminalNotFound);
  // The preferred terminal is missing; the defaults come next.
  Install(QUILLBROOK_FAKE_TERMINAL, path_, "xterm");
  const std::string withNul = "-U flash:w:a\0b.hex:i"s;
  EXPECT_EQ(launcher->LaunchWithLog(withNul), LaunchResult::kInvalidArguments);
  EXPECT_EQ(launcher->LaunchWithoutLog(withNul), LaunchResult::kInvalidArguments);

  EXPECT_TRUE(Children().empty());
  EXPECT_TRUE(TakeRecords("terminal").empty());
  EXPECT_TRUE(TakeRecords("avrdude").empty());
  EXPECT_EQ(events_.EndedCount(), 0);

  ASSERT_EQ(launcher->LaunchWithLog("-v"), LaunchResult::kStarted);
  EXPECT_EQ(TakeRecords("terminal").size(), 1u);
  EXPECT_EQ(events_.EndedCount(), 1);
}

TEST_F(AvrdudeLauncherTest, StartedProgramsInheritNoDescriptorButTheStandardStreams) {
  Install(QUILLBROOK_FAKE_TERMINAL, own_, "fake-terminal");
  Install(QUILLBROOK_FAKE_AVRDUDE, own_, "avrdude");
  // A descriptor that some other part of the program might have left inheritable.
  const int careless = ::open("/dev/null", O_RDONLY);
  ASSERT_GT(careless, 2);
  const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher("fake-terminal");

  ASSERT_EQ(launcher->LaunchWithLog("-v"), LaunchResult::kStarted);
  const std::vector<Record> terminal = TakeRecords("terminal");
  const std::vector<Record> withLog = TakeRecords("avrdude");
  ASSERT_EQ(launcher->LaunchWithoutLog("-v"), LaunchResult::kStarted);
  const std::vector<Record> withoutLog = WaitForRecords("avrdude", 1);
  ::close(careless);

  ASSERT_EQ(terminal.size(), 1u);
  ASSERT_EQ(withLog.size(), 1u);
  ASSERT_EQ(withoutLog.size(), 1u);
  // With log, the terminal and avrdude have our standard streams, as far as they are open.
  for (const Record& record : {terminal[0], withLog[0]}) {
    for (const int fd : record.descriptors) {
      EXPECT_LE(fd, 2) << record.argv.at(0);
    }
  }
  // Without log, all three are its pipes.
  EXPECT_EQ(withoutLog[0].descriptors, (std::vector<int>{0, 1, 2}));
}

TEST_F(AvrdudeLauncherTest, FileWithoutAnExecutableFormatIsNeverHandedToAShell) {
  const CurrentDirectory inWork(root_.MakeDirectory("work"));
  WriteFile(own_ + "/avrdude", "touch ran-in-a-shell\n", kExecutable);
  const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher();

  EXPECT_EQ(launcher->LaunchWithoutLog("-v"), LaunchResult::kStartFailed);

  EXPECT_TRUE(Children().empty());
  EXPECT_FALSE(fs::exists(root_.path() / "work" / "ran-in-a-shell"));
  EXPECT_EQ(events_.ErrorOutput(), "");
}

TEST_F(AvrdudeLauncherTest, ManyRunsLeaveNoZombieDescriptorOrThread) {
  Install(QUILLBROOK_FAKE_AVRDUDE, own_, "avrdude");
  ::setenv("FAKE_AVRDUDE_STDERR", "avrdude done\n", 1);
  const std::size_t descriptorsBefore = OpenDescriptors();
  const std::size_t threadsBefore = ThreadsBeforeLaunching();
  {
    const std::unique_ptr<AvrdudeLauncher> launcher = MakeLauncher();
    std::size_t descriptorsWithOneRun = 0;
    for (int run = 0; run < 50; ++run) {
      // Every other avrdude hangs and is killed by the next launch; the others end by themselves,
      // the last one among them.
      ::setenv("FAKE_AVRDUDE_HANG", run % 2 == 0 ? "1" : "0", 1);
      ASSERT_EQ(launcher->LaunchWithoutLog("run " + std::to_string(run)), LaunchResult::kStarted);
      ASSERT_EQ(WaitForRecords("avrdude", 1).size(), 1u) << "run " << run;
      if (run == 0) {
        descriptorsWithOneRun = OpenDescriptors();
      }
    }
    EXPECT_EQ(OpenDescriptors(), descriptorsWithOneRun);
    EXPECT_TRUE(WaitUntil([] { return Children().empty(); }));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_TRUE(WaitUntil([&] { return Threads() == threadsBefore; }));
  }
  EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
  EXPECT_EQ(Threads(), threadsBefore);
}

// Sets or unsets one environment variable for the length of a scope.
class ScopedVariable {
 public:
  ScopedVariable(const char* name, const char* value) : name_(name) {
    if (const char* previous = ::getenv(name)) {
      previous_ = previous;
    }
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ScopedVariable(const ScopedVariable&) = delete;
  ScopedVariable& operator=(const ScopedVariable&) = delete;
  ~ScopedVariable() {
    if (previous_) {
      ::setenv(name_, previous_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

TEST(ReadLaunchEnvironment, TakesPathAndTerminalFromTheEnvironment) {
  {
    const ScopedVariable path("PATH", "/opt/a:/opt/b");
    const ScopedVariable terminal("TERMINAL", "kitty");
    const LaunchEnvironment environment = ReadLaunchEnvironment("/opt/quillbrook");
    EXPECT_EQ(environment.programDirectory, "/opt/quillbrook");
    EXPECT_EQ(environment.path, "/opt/a:/opt/b");
    EXPECT_EQ(environment.terminal, "kitty");
  }
  {
    // Without PATH the system's default search path applies, as for any started program.
    const ScopedVariable path("PATH", nullptr);
    const ScopedVariable terminal("TERMINAL", nullptr);
    const LaunchEnvironment environment = ReadLaunchEnvironment("");
    EXPECT_NE(environment.path.find("/bin"), std::string::npos) << environment.path;
    EXPECT_EQ(environment.terminal, "");
  }
}

}  // namespace
}  // namespace quillbrook
