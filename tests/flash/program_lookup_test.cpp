// program_lookup_test.cpp: finding avrdude and the terminal emulator in real directories.
#include "flash/program_lookup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/flash/file_fixtures.h"

namespace quillbrook {
namespace {

namespace fs = std::filesystem;
using testing::CurrentDirectory;
using testing::TempDir;
using testing::WriteFile;

constexpr fs::perms kExecutable = fs::perms::owner_all | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read |
                                  fs::perms::others_exec;
constexpr fs::perms kNotExecutable =
    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read;

class ProgramLookupTest : public ::testing::Test {
 protected:
  std::string Program(const std::string& directory, const std::string& name,
                      fs::perms mode = kExecutable) {
    const std::string path = directory + "/" + name;
    WriteFile(path, "#!/bin/sh\n", mode);
    return path;
  }

  TempDir root_;
  const std::string own_ = root_.MakeDirectory("own");
  const std::string first_ = root_.MakeDirectory("first");
  const std::string second_ = root_.MakeDirectory("second");
};

TEST_F(ProgramLookupTest, ProgramDirectoryComesFirstThenPathInOrder) {
  const std::string path = first_ + ":" + second_;
  EXPECT_EQ(FindProgram("avrdude", own_, path), std::nullopt);

  const std::string inSecond = Program(second_, "avrdude");
  EXPECT_EQ(FindProgram("avrdude", own_, path), inSecond);
  const std::string inFirst = Program(first_, "avrdude");
  EXPECT_EQ(FindProgram("avrdude", own_, path), inFirst);
  const std::string inOwn = Program(own_, "avrdude");
  EXPECT_EQ(FindProgram("avrdude", own_, path), inOwn);
  // A trailing slash on a directory does not double.
  EXPECT_EQ(FindProgram("avrdude", own_ + "/", ""), inOwn);
}

TEST_F(ProgramLookupTest, OnlyExecutableRegularFilesAreHits) {
  const std::string path = first_ + ":" + second_;
  Program(first_, "avrdude", kNotExecutable);
  fs::create_directory(own_ + "/avrdude");  // a directory is searchable, not executable
  EXPECT_EQ(FindProgram("avrdude", own_, path), std::nullopt);

  const std::string target = Program(root_.MakeDirectory("elsewhere"), "real-avrdude");
  fs::create_symlink(target, second_ + "/avrdude");
  EXPECT_EQ(FindProgram("avrdude", own_, path), second_ + "/avrdude");
  fs::create_symlink(root_.path() / "missing", first_ + "/dangling");
  EXPECT_EQ(FindProgram("dangling", own_, path), std::nullopt);
}

TEST_F(ProgramLookupTest, NeverLooksInTheCurrentDirectory) {
  const CurrentDirectory inRoot(root_.path());
  Program(root_.path(), "avrdude");
  Program(root_.MakeDirectory("relative"), "avrdude");
  // Empty entries (which a shell reads as the current directory), relative entries and a relative
  // program directory are all skipped.
  for (const char* path : {"", ":", "relative", ".", "./relative:"}) {
    EXPECT_EQ(FindProgram("avrdude", "", path), std::nullopt) << "PATH=" << path;
    EXPECT_EQ(FindProgram("avrdude", "relative", path), std::nullopt) << "PATH=" << path;
    EXPECT_EQ(FindProgram("./avrdude", "", path), std::nullopt) << "PATH=" << path;
  }
  const std::string inSecond = Program(second_, "avrdude");
  EXPECT_EQ(FindProgram("avrdude", ".", "::relative:" + second_ + ":"), inSecond);
}

TEST_F(ProgramLookupTest, NamesThatAreNoBareProgramName) {
  const std::string inOwn = Program(own_, "avrdude");
  EXPECT_EQ(FindProgram(inOwn, "", ""), inOwn);  // an absolute path is taken as it is
  EXPECT_EQ(FindProgram(own_ + "/missing", "", ""), std::nullopt);
  EXPECT_EQ(FindProgram("own/avrdude", root_.path().string(), ""), std::nullopt);
  EXPECT_EQ(FindProgram("", own_, own_), std::nullopt);
  // A NUL would end the name early where the system reads it, and so name another file.
  EXPECT_EQ(FindProgram(std::string("avrdude\0x", 9), own_, ""), std::nullopt);
  EXPECT_EQ(FindProgram("avrdude", own_ + std::string("\0x", 2), ""), std::nullopt);
}

TEST_F(ProgramLookupTest, TerminalIsThePreferredOneThenTheDefaultsInOrder) {
  const std::string path = first_ + ":" + second_;
  EXPECT_EQ(FindTerminalEmulator("", own_, path), std::nullopt);
  EXPECT_EQ(FindTerminalEmulator("myterm", own_, path), std::nullopt);

  const std::string xterm = Program(second_, "xterm");
  EXPECT_EQ(FindTerminalEmulator("", own_, path), xterm);
  const std::string debianDefault = Program(first_, "x-terminal-emulator");
  EXPECT_EQ(FindTerminalEmulator("", own_, path), debianDefault);
  EXPECT_EQ(FindTerminalEmulator("myterm", own_, path), debianDefault);  // not installed
  const std::string preferred = Program(second_, "myterm");
  EXPECT_EQ(FindTerminalEmulator("myterm", own_, path), preferred);
  EXPECT_EQ(FindTerminalEmulator(preferred, "", ""), preferred);
}

}  // namespace
}  // namespace quillbrook
