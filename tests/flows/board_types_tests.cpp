// board_types_tests.cpp: the type list, choosing a type and per-type values, on a real file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "settings/board_types.h"
#include "settings/settings_file.h"
#include "tests/support/fake_views.h"
#include "tests/support/journal.h"
#include "tests/support/temp_dir.h"

namespace quillbrook {
namespace {

using ::testing::ElementsAre;
using testing::FakeChoiceListView;
using testing::FakeHexPathView;
using ::testing::IsEmpty;
using testing::Journal;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class BoardTypesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* port : {"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB1"}) {
      portBox_.Append(port);
    }
  }
  // Writes the settings file and loads the list from it, forgetting what the journal saw so far.
  void Load(const std::string& content) {
    ASSERT_TRUE(WriteBytes(path_, content));
    types_.LoadTypeList();
    journal_.Take();
  }
  std::string Bytes() const { return ReadBytes(path_).value_or("<missing>"); }

  TempDir dir_;
  std::string path_ = dir_.File("quillbrook.ini");
  SettingsFile settings_{path_};
  Journal journal_;
  FakeChoiceListView typeBox_{"TypeBox", &journal_};
  FakeChoiceListView portBox_{"PortBox", &journal_};
  FakeHexPathView hexPath_{&journal_};
  std::vector<std::string> opened_;
  bool desktopOpens_ = true;
  BoardTypes types_{settings_,
                    typeBox_,
                    portBox_,
                    hexPath_,
                    [this](const std::string& path) { journal_.Add("HexWatch: restart " + path); },
                    [this](const std::string& path) {
                      opened_.push_back(path);
                      return desktopOpens_;
                    }};
};

TEST_F(BoardTypesTest, ListsTheOtherSectionsInFileOrderAsWrittenAndWritesNothing) {
  const std::string content =
      "[position]\nLeft=1\n[Uno]\n[INIT]\n[positions]\n[Init]\n[nano every]\n[Position]\n"
      "[init2]\n[ init ]\n[POSITION]\n[Mega]\n";
  Load(content);
  EXPECT_THAT(typeBox_.Items(), ElementsAre("Uno", "positions", "nano every", "init2", "Mega"));
  EXPECT_EQ(typeBox_.Text(), "Uno");
  EXPECT_EQ(Bytes(), content);

  // A second load starts from an empty list.
  Load("[Leonardo]\n");
  EXPECT_THAT(typeBox_.Items(), ElementsAre("Leonardo"));
}

struct RememberedTypeCase {
  const char* name;
  const char* initSection;  // the init section as the file holds it
  int selected;             // in Uno, Nano Every, NanoOld, Mega; -1 for none
};

void PrintTo(const RememberedTypeCase& c, std::ostream* out) {
  *out << c.name;
}

class RememberedTypeTest : public BoardTypesTest,
                           public ::testing::WithParamInterface<RememberedTypeCase> {};

TEST_P(RememberedTypeTest, IsReselectedWithoutRegardToCaseOrUpToAStar) {
  const std::string content = std::string(GetParam().initSection) +
                              "[Uno]\n[Nano Every]\n[NanoOld]\n[Mega]\nport=/dev/ttyUSB1\n";
  Load(content);
  EXPECT_EQ(typeBox_.selected(), GetParam().selected);
  EXPECT_EQ(Bytes(), content);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RememberedTypeTest,
    ::testing::Values(RememberedTypeCase{"NoInitSection", "", 0},
                      RememberedTypeCase{"NoTypeKey", "[init]\nauto=1\n", 0},
                      RememberedTypeCase{"EmptyType", "[init]\ntype=\n", 0},
                      RememberedTypeCase{"SameCase", "[Init]\ntype=Mega\n", 3},
                      RememberedTypeCase{"OtherCase", "[init]\ntype=MEGA\n", 3},
                      RememberedTypeCase{"Star", "[INIT]\ntype=nano*\n", 1},
                      RememberedTypeCase{"StarAfterWholeName", "[init]\ntype=NanoOld*\n", 2},
                      RememberedTypeCase{"OnlyAStar", "[init]\ntype=*\n", 0},
                      RememberedTypeCase{"PrefixWithoutStar", "[init]\ntype=Nano\n", -1},
                      RememberedTypeCase{"Gone", "[init]\ntype=Leonardo\n", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(BoardTypesTest, LoadingTheHexPathWatchesItBeforeShowingItAndWritesNothing) {
  const std::string content =
      "[init]\ntype=Uno\n[Uno]\nhex_file_path=build/uno.hex\n[Mega]\nport=/dev/ttyUSB0\n";
  Load(content);
  types_.LoadHexPath();
  EXPECT_THAT(journal_.Take(), ElementsAre("HexWatch: restart build/uno.hex",
                                           "HexPathEdit: set without echo \"build/uno.hex\""));
  EXPECT_EQ(Bytes(), content);

  // No path for the type, and no type at all: the field is emptied and the watch restarted empty.
  for (const std::string other : {"[init]\ntype=Mega\n[Uno]\nhex_file_path=build/uno.hex\n[Mega]\n",
                                  "[init]\ntype=Leonardo\n[Uno]\nhex_file_path=build/uno.hex\n"}) {
    Load(other);
    types_.LoadHexPath();
    EXPECT_THAT(journal_.Take(),
                ElementsAre("HexWatch: restart ", "HexPathEdit: set without echo \"\""));
    EXPECT_EQ(Bytes(), other);
  }
  EXPECT_EQ(hexPath_.echoedSets(), 0);
}

TEST_F(BoardTypesTest, ChoosingATypeReselectsItsPortLoadsItsPathThenRemembersOnlyTheType) {
  const std::string content =
      "[position]\nLeft=5\n[init]\ntype=Uno\nauto=1\n"
      "[Uno]\nport=/dev/ttyACM0\nhex_file_path=uno.hex\n"
      "[Mega]\nport=/dev/ttyUSB1\nhex_file_path=build/mega.hex\n"
      "[Nano]\nhex_file_path=nano.hex\n"
      "[Micro]\nport=/dev/ttyUSB9\n";
  Load(content);
  portBox_.Select(0);
  journal_.Take();

  ASSERT_TRUE(typeBox_.UserChoose("Mega"));
  EXPECT_TRUE(types_.ChooseType());
  EXPECT_THAT(journal_.Take(), ElementsAre("PortBox: select 2", "HexWatch: restart build/mega.hex",
                                           "HexPathEdit: set without echo \"build/mega.hex\""));
  std::string expected = content;
  expected.replace(expected.find("type=Uno"), 8, "type=Mega");
  EXPECT_EQ(Bytes(), expected);

  // Without a port key the port box keeps what it shows; the port is not written for the type.
  ASSERT_TRUE(typeBox_.UserChoose("Nano"));
  EXPECT_TRUE(types_.ChooseType());
  EXPECT_THAT(journal_.Take(), ElementsAre("HexWatch: restart nano.hex",
                                           "HexPathEdit: set without echo \"nano.hex\""));
  EXPECT_EQ(portBox_.Text(), "/dev/ttyUSB1");
  expected.replace(expected.find("type=Mega"), 9, "type=Nano");
  EXPECT_EQ(Bytes(), expected);

  // A remembered port that is not listed leaves the port box without selection; no path empties
  // the field.
  ASSERT_TRUE(typeBox_.UserChoose("Micro"));
  EXPECT_TRUE(types_.ChooseType());
  EXPECT_THAT(journal_.Take(), ElementsAre("PortBox: select -1", "HexWatch: restart ",
                                           "HexPathEdit: set without echo \"\""));
  expected.replace(expected.find("type=Nano"), 9, "type=Micro");
  EXPECT_EQ(Bytes(), expected);
  EXPECT_EQ(hexPath_.echoedSets(), 0);
}

TEST_F(BoardTypesTest, ATypeThatCannotBeRememberedIsReported) {
  Load("[Uno]\n");
  // The settings file's place is taken by a directory: nothing can be written there.
  ASSERT_TRUE(std::filesystem::remove(path_));
  ASSERT_TRUE(std::filesystem::create_directory(path_));
  EXPECT_FALSE(types_.ChooseType());
}

TEST_F(BoardTypesTest, PerTypeValuesGoToTheCurrentTypeAndReadBackExactly) {
  Load("[init]\ntype=Mega\n[Uno]\n[Mega]\n");
  for (const std::string value :
       {"build/blink.hex", "", "My Files/", " leading blank", "trailing blank ", "\ttab\t",
        "\"quoted\"", "'single'", "\"half", "a \"quoted\" word"}) {
    ASSERT_TRUE(types_.WriteTypeSetting("hex_file_path", value)) << value;
    EXPECT_EQ(types_.ReadTypeSetting("hex_file_path"), value);
  }
  EXPECT_EQ(settings_.ReadSettingString("Uno", "hex_file_path"), "");
  EXPECT_EQ(types_.ReadTypeSetting("avrdude_param"), "");
}

TEST_F(BoardTypesTest, WithNoCurrentTypeNothingIsWrittenAndEveryValueIsEmpty) {
  for (const std::string content : {"[init]\ntype=Leonardo\n[Uno]\nport=/dev/ttyUSB0\n",
                                    "[init]\ntype=Uno\n[position]\nLeft=1\n"}) {
    Load(content);
    ASSERT_EQ(types_.CurrentBoardType(), "");
    EXPECT_FALSE(types_.WriteTypeSetting("port", "/dev/ttyUSB1"));
    EXPECT_EQ(types_.ReadTypeSetting("port"), "");
    EXPECT_EQ(Bytes(), content);
  }
}

TEST_F(BoardTypesTest, AddingATypeOnAFirstStartCreatesAFileThatShowsHowBeforeOpeningIt) {
  ASSERT_FALSE(std::filesystem::exists(path_));
  EXPECT_TRUE(types_.OpenSettingsFile());
  EXPECT_THAT(opened_, ElementsAre(path_));
  // Only comments: the program still writes no section of its own.
  const std::string guide = Bytes();
  ASSERT_FALSE(guide.empty());
  std::size_t lineStart = 0;
  while (lineStart < guide.size()) {
    EXPECT_EQ(guide[lineStart], ';') << guide.substr(lineStart, guide.find('\n', lineStart));
    lineStart = guide.find('\n', lineStart) + 1;
  }
  EXPECT_NE(guide.find("avrdude_param="), std::string::npos);
  EXPECT_THAT(settings_.ListSections(), IsEmpty());

  // Once the file exists, it is opened as it is.
  const std::string edited = guide + "[Uno]\navrdude_param=-c arduino\n";
  ASSERT_TRUE(WriteBytes(path_, edited));
  EXPECT_TRUE(types_.OpenSettingsFile());
  EXPECT_EQ(Bytes(), edited);
  EXPECT_EQ(opened_.size(), 2u);
}

TEST_F(BoardTypesTest, AddingATypeReportsWhenTheFileCannotBeMadeOrOpened) {
  desktopOpens_ = false;
  EXPECT_FALSE(types_.OpenSettingsFile());
  EXPECT_EQ(opened_.size(), 1u);

  // Where no file can be made, the desktop is not asked at all.
  ASSERT_TRUE(WriteBytes(dir_.File("file"), "x"));
  SettingsFile blocked(dir_.File("file/quillbrook.ini"));
  desktopOpens_ = true;
  BoardTypes types(
      blocked, typeBox_, portBox_, hexPath_, [](const std::string&) {},
      [this](const std::string& path) {
        opened_.push_back(path);
        return true;
      });
  EXPECT_FALSE(types.OpenSettingsFile());
  EXPECT_EQ(opened_.size(), 1u);
}

}  // namespace
}  // namespace quillbrook
