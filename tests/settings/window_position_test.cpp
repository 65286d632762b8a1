// window_position_test.cpp: loading and saving the main window's position, on real files.
#include "settings/window_position.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "tests/support/temp_dir.h"

namespace quillbrook {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class WindowPositionTest : public ::testing::Test {
 protected:
  TempDir dir_;
  SettingsFile settings_{dir_.File("quillbrook.ini")};
  const WindowRect centred_{896, 440, 127, 200};
};

TEST_F(WindowPositionTest, LoadsAllFourKeysIncludingNegativeValues) {
  ASSERT_TRUE(WriteBytes(settings_.path(),
                         "[Position]\r\nheight=310\r\nLeft=-1280\r\nTop=-20\r\nWidth=127\r\n"));
  EXPECT_EQ(LoadWindowPosition(settings_, centred_), (WindowRect{-1280, -20, 127, 310}));
}

TEST_F(WindowPositionTest, MissingKeysKeepTheCurrentValues) {
  EXPECT_EQ(LoadWindowPosition(settings_, centred_), centred_);  // no file at all
  ASSERT_TRUE(WriteBytes(settings_.path(), "[position]\nTop=5\nWidth=\n"));
  EXPECT_EQ(LoadWindowPosition(settings_, centred_), (WindowRect{896, 5, 0, 200}));
}

TEST_F(WindowPositionTest, SavesTheFourKeysInOrder) {
  ASSERT_TRUE(SaveWindowPosition(settings_, true, {-1280, -5, 127, 300}));
  EXPECT_EQ(ReadBytes(settings_.path()), "[position]\nLeft=-1280\nTop=-5\nWidth=127\nHeight=300\n");
  EXPECT_EQ(LoadWindowPosition(settings_, centred_), (WindowRect{-1280, -5, 127, 300}));
}

TEST_F(WindowPositionTest, SaveReplacesOldValuesAndKeepsEverythingElse) {
  const std::string other = "[init]\nauto=1\n; mine\n";
  ASSERT_TRUE(WriteBytes(settings_.path(), "[position]\nTop=1\nLeft=2\n" + other));
  ASSERT_TRUE(SaveWindowPosition(settings_, true, {10, 20, 127, 40}));
  EXPECT_EQ(ReadBytes(settings_.path()),
            "[position]\nTop=20\nLeft=10\nWidth=127\nHeight=40\n" + other);
}

TEST_F(WindowPositionTest, NothingIsWrittenBeforeTheFirstShow) {
  EXPECT_TRUE(SaveWindowPosition(settings_, false, {1, 2, 3, 4}));
  EXPECT_NE(::access(settings_.path().c_str(), F_OK), 0);
}

TEST_F(WindowPositionTest, FailedSaveIsReported) {
  ASSERT_TRUE(WriteBytes(dir_.File("plain"), ""));
  SettingsFile unwritable(dir_.File("plain/quillbrook.ini"));
  EXPECT_FALSE(SaveWindowPosition(unwritable, true, {1, 2, 3, 4}));
}

}  // namespace
}  // namespace quillbrook
