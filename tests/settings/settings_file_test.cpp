// settings_file_test.cpp: the settings file primitives and the program directory, on real files.
#include "settings/settings_file.h"

#include <errno.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "settings/setting_keys.h"
#include "settings/settings_location.h"
#include "tests/support/temp_dir.h"

namespace quillbrook {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(SettingsFileTest, KnowsItsPathAndDirectory) {
  const SettingsFile settings("/opt/quillbrook/quillbrook.ini");
  EXPECT_EQ(settings.path(), "/opt/quillbrook/quillbrook.ini");
  EXPECT_EQ(settings.directory(), "/opt/quillbrook/");
  EXPECT_EQ(SettingsFile("quillbrook.ini").directory(), "");
}

TEST(SettingsFileTest, PrimitivesWorkOnTheFileWithTheProgramsKeys) {
  TempDir dir;
  SettingsFile settings(dir.File(std::string(keys::kSettingsFileName)));
  EXPECT_EQ(settings.ReadSettingInteger(keys::kAuto.section, keys::kAuto.key, -1), -1);
  EXPECT_TRUE(settings.ListSections().empty());

  ASSERT_TRUE(settings.WriteSettingInteger(keys::kConsol.section, keys::kConsol.key, 1));
  ASSERT_TRUE(settings.WriteSettingString(keys::kType.section, keys::kType.key, "uno"));
  ASSERT_TRUE(settings.WriteSettingString("uno", keys::kPort.key, "/dev/ttyACM0"));
  // "Init" and "init" are one section, so the type lands beside consol.
  EXPECT_EQ(ReadBytes(settings.path()), "[init]\nconsol=1\ntype=uno\n[uno]\nport=/dev/ttyACM0\n");
  EXPECT_EQ(settings.ReadSettingString(keys::kType.section, keys::kType.key), "uno");
  EXPECT_EQ(settings.ReadSettingInteger(keys::kConsol.section, keys::kConsol.key, 0), 1);
  EXPECT_EQ(settings.ReadSettingString("", keys::kPort.key), "");
  EXPECT_EQ(settings.ListSections(), (std::vector<std::string>{"init", "uno"}));

  // A key added by hand is seen at the next read.
  ASSERT_TRUE(WriteBytes(settings.path(), "[Init]\ntype=nano\n[nano]\navrdude_param=-c arduino\n"));
  EXPECT_EQ(settings.ReadSettingString("nano", keys::kAvrdudeParam.key), "-c arduino");
  EXPECT_EQ(settings.ReadSettingString(keys::kType.section, keys::kType.key), "nano");

  EXPECT_FALSE(settings.WriteSettingString("nano", keys::kPort.key, "COM3\n[x]"));
  EXPECT_EQ(ReadBytes(settings.path()), "[Init]\ntype=nano\n[nano]\navrdude_param=-c arduino\n");
}

TEST(SettingsFileTest, WriteFailureIsReported) {
  TempDir dir;
  ASSERT_TRUE(WriteBytes(dir.File("plain"), ""));
  SettingsFile settings(dir.File("plain/quillbrook.ini"));
  EXPECT_FALSE(settings.WriteSettingString("init", "type", "uno"));
  EXPECT_FALSE(settings.WriteSettingInteger("init", "auto", 1));
}

TEST(ProgramDirectoryTest, IsTheDirectoryOfTheRunningProgram) {
  char resolved[PATH_MAX];
  ASSERT_NE(::realpath(program_invocation_name, resolved), nullptr);
  std::string expected(resolved);
  expected.erase(expected.rfind('/') + 1);

  const std::string directory = ProgramDirectory();
  EXPECT_EQ(directory, expected);
  ASSERT_FALSE(directory.empty());
  EXPECT_EQ(directory.front(), '/');
  EXPECT_EQ(directory.back(), '/');
}

TEST(ProgramDirectoryTest, SettingsLieBesideAWritableProgram) {
  const std::string directory = ProgramDirectory();
  if (::access(directory.c_str(), W_OK) != 0) {
    GTEST_SKIP() << "the test program's directory is not writable";
  }
  EXPECT_EQ(ChooseSettingsPath(), directory + "quillbrook.ini");
}

}  // namespace
}  // namespace quillbrook
