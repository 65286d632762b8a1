// hex_path_flow_tests.cpp: typing and dropping a HEX path: what is written, watched and shown.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/flows/program_rig.h"

namespace quillbrook {
namespace {

using ::testing::ElementsAre;
using testing::FakeDirectoryWatcher;
using testing::ProgramRig;

class HexPathFlowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(rig_.WriteSettings(
        "[init]\ntype=Uno\n[Uno]\nhex_file_path=" + rig_.HexFile("old.hex") + "\n[Mega]\n"));
    rig_.Start();
    rig_.journal.Take();
  }
  std::string StoredPath() const {
    return SettingsFile(rig_.settingsPath()).ReadSettingString("Uno", "hex_file_path");
  }
  FakeDirectoryWatcher& HexWatcher() { return *rig_.fakeWatchers.Get("HexWatch"); }

  ProgramRig rig_{ProgramRig::Watchers::kFake};
};

TEST_F(HexPathFlowTest, EveryKeystrokeWritesTheWholeTextAndRestartsTheWatch) {
  const std::string dir = rig_.hexDirectory();
  // Typing a path with a blank in it, then deleting it all again.
  const std::vector<std::string> keystrokes = {
      dir + "M",          dir + "My",    dir + "My ", dir + "My F", dir + "My F/",
      dir + "My F/a.hex", dir + "My F/", "b.hex",     " ",          ""};
  for (const std::string& text : keystrokes) {
    const std::size_t startsBefore = HexWatcher().starts().size();
    const int stopsBefore = HexWatcher().stops();
    rig_.hexPath.UserType(text);
    EXPECT_EQ(StoredPath(), text);
    EXPECT_EQ(rig_.hexPath.Text(), text);
    const std::string::size_type slash = text.rfind('/');
    if (text.empty()) {
      EXPECT_EQ(HexWatcher().stops(), stopsBefore + 1);
      EXPECT_FALSE(HexWatcher().running());
    } else {
      ASSERT_EQ(HexWatcher().starts().size(), startsBefore + 1) << text;
      EXPECT_EQ(HexWatcher().starts().back(),
                slash == std::string::npos ? "./" : text.substr(0, slash + 1));
    }
    EXPECT_EQ(rig_.program().hexWatch().hexName(),
              slash == std::string::npos ? text : text.substr(slash + 1));
  }
  // Each keystroke set the text back once, without echo, and raised nothing more.
  EXPECT_EQ(rig_.hexPath.silentSets(), 1 + static_cast<int>(keystrokes.size()));
  EXPECT_EQ(rig_.hexPath.echoedSets(), 0);
}

TEST_F(HexPathFlowTest, ADropExpandsTheWindowBeforeEachPathIsShownAndLeavesTheLastEverywhere) {
  const std::string first = rig_.HexFile("first.hex");
  const std::string folder = rig_.stagingDirectory();
  const std::string last = rig_.stagingDirectory() + "last build.hex";
  rig_.program().OnFilesDropped({first, folder, last});
  EXPECT_THAT(
      rig_.journal.Take(),
      ElementsAre("window expanded", "HexPathEdit: set with echo \"" + first + "\"",
                  "HexWatch: start " + rig_.hexDirectory(),
                  "HexPathEdit: set without echo \"" + first + "\"", "window expanded",
                  "HexPathEdit: set with echo \"" + folder + "\"", "HexWatch: start " + folder,
                  "HexPathEdit: set without echo \"" + folder + "\"", "window expanded",
                  "HexPathEdit: set with echo \"" + last + "\"",
                  "HexWatch: start " + rig_.stagingDirectory(),
                  "HexPathEdit: set without echo \"" + last + "\""));
  EXPECT_EQ(rig_.hexPath.Text(), last);
  EXPECT_EQ(StoredPath(), last);
  EXPECT_EQ(rig_.program().hexWatch().hexDirectory(), rig_.stagingDirectory());
  EXPECT_EQ(rig_.program().hexWatch().hexName(), "last build.hex");
}

TEST_F(HexPathFlowTest, DroppingThePathAlreadyShownStillWritesAndRestartsTheWatch) {
  const std::string path = rig_.HexFile("old.hex");
  ASSERT_EQ(rig_.hexPath.Text(), path);
  // Changed by hand behind the program's back (the fake settings watch reports nothing).
  ASSERT_TRUE(SettingsFile(rig_.settingsPath()).WriteSettingString("Uno", "hex_file_path", "x"));
  const std::size_t startsBefore = HexWatcher().starts().size();
  rig_.program().OnFilesDropped({path});
  EXPECT_EQ(StoredPath(), path);
  EXPECT_EQ(HexWatcher().starts().size(), startsBefore + 1);
  EXPECT_EQ(rig_.hexPath.echoedSets(), 1);
}

TEST_F(HexPathFlowTest, WithNoCurrentTypeAnEditIsWatchedAndShownButNotWritten) {
  rig_.Destroy();
  const std::string content = "[init]\ntype=Leonardo\n[Uno]\n";
  ASSERT_TRUE(rig_.WriteSettings(content));
  rig_.Start();
  const std::string path = rig_.HexFile("a.hex");
  EXPECT_FALSE(rig_.program().OnHexPathEdited(path));
  rig_.program().OnFilesDropped({rig_.HexFile("b.hex")});
  EXPECT_EQ(rig_.SettingsBytes(), content);
  EXPECT_EQ(rig_.hexPath.Text(), rig_.HexFile("b.hex"));
  EXPECT_EQ(rig_.program().hexWatch().hexName(), "b.hex");
  EXPECT_TRUE(HexWatcher().running());
}

TEST_F(HexPathFlowTest, OddPathsAreWatchedAndStoredWhenTheFileCanHoldThemWithoutACrash) {
  struct Case {
    const char* what;
    std::string path;
    bool storable;  // a line break cannot stand in a settings line: that write is refused
  };
  const std::string dir = rig_.hexDirectory();
  const Case cases[] = {
      {"missing directory", dir + "no/such/dir/a.hex", true},
      {"a folder", dir, true},
      {"spaces", dir + "my firmware/blink v2.hex", true},
      {"quotes", dir + "\"quoted\" 'name'.hex", true},
      {"shell characters", dir + "$(rm -rf ~);|&.hex", true},
      {"a newline", dir + "two\nlines.hex", false},
      {"1000 characters", dir + std::string(1000, 'x') + ".hex", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string before = StoredPath();
    EXPECT_EQ(rig_.program().OnHexPathEdited(c.path), c.storable);
    EXPECT_EQ(StoredPath(), c.storable ? c.path : before);
    EXPECT_EQ(rig_.hexPath.Text(), c.path);
    const std::string::size_type slash = c.path.rfind('/');
    EXPECT_EQ(rig_.program().hexWatch().hexName(), c.path.substr(slash + 1));
    EXPECT_EQ(HexWatcher().starts().back(), c.path.substr(0, slash + 1));
  }

  // A path longer than a read takes is written whole; reads give its first 2047 characters.
  const std::string longPath = dir + std::string(10000, 'y') + ".hex";
  EXPECT_TRUE(rig_.program().OnHexPathEdited(longPath));
  EXPECT_NE(rig_.SettingsBytes().value_or("").find("hex_file_path=" + longPath + "\n"),
            std::string::npos);
  EXPECT_EQ(StoredPath(), longPath.substr(0, 2047));
  EXPECT_EQ(rig_.program().hexWatch().hexName(), std::string(10000, 'y') + ".hex");
}

TEST_F(HexPathFlowTest, ADropOfAThousandFilesEndsWithTheLastOneEverywhere) {
  std::vector<std::string> dropped;
  for (int i = 0; i < 1000; ++i) {
    dropped.push_back(rig_.HexFile("build-" + std::to_string(i) + ".hex"));
  }
  rig_.program().OnFilesDropped(dropped);
  EXPECT_EQ(rig_.hexPath.Text(), dropped.back());
  EXPECT_EQ(StoredPath(), dropped.back());
  EXPECT_EQ(rig_.program().hexWatch().hexName(), "build-999.hex");
  EXPECT_EQ(rig_.hexPath.echoedSets(), 1000);
}

}  // namespace
}  // namespace quillbrook
