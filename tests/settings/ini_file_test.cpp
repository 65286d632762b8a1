// ini_file_test.cpp: reads, writes and section listing of a profile file, on real files.
#include "settings/ini_file.h"

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/temp_dir.h"

namespace quillbrook {
namespace {

using namespace std::string_literals;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr int kDefault = 77;

class IniFileTest : public ::testing::Test {
 protected:
  const TempDir& dir() const { return dir_; }

 private:
  TempDir dir_;  // first, so that it exists before the members below use it

 protected:
  std::string path_ = dir_.File("quillbrook.ini");
  IniFile file_{path_};
};

// ---------------------------------------------------------------------------------------------
// Reads

struct ReadCase {
  const char* name;
  std::optional<std::string> content;  // nullopt: no file
  std::string section;
  std::string key;
  std::string expectedString;
  int expectedInteger;
};

void PrintTo(const ReadCase& c, std::ostream* out) {
  *out << c.name;
}

class IniReadTest : public ::testing::TestWithParam<ReadCase> {
 protected:
  TempDir dir_;
};

TEST_P(IniReadTest, ReadsStringAndInteger) {
  const ReadCase& c = GetParam();
  const std::string path = dir_.File("quillbrook.ini");
  if (c.content) {
    ASSERT_TRUE(WriteBytes(path, *c.content));
  }
  const IniFile file(path);
  EXPECT_EQ(file.ReadString(c.section, c.key), c.expectedString);
  EXPECT_EQ(file.ReadInteger(c.section, c.key, kDefault), c.expectedInteger);
}

const std::string kLongValue = std::string(2000, 'a') + std::string(1000, 'b');

INSTANTIATE_TEST_SUITE_P(
    Cases, IniReadTest,
    ::testing::Values(
        ReadCase{"HeaderInitReadAsInit", "[Init]\nconsol=1\ntype=uno\n", "init", "consol", "1", 1},
        ReadCase{"HeaderInitLowerReadAsInit", "[init]\ntype=uno\nauto=1\n", "Init", "type", "uno",
                 0},
        ReadCase{"KeyCaseIgnored", "[s]\nPORT=/dev/ttyUSB0\n", "S", "port", "/dev/ttyUSB0", 0},
        ReadCase{"DoubleQuotesRemoved", "[s]\np=\"-c arduino -P %1\"\n", "s", "p",
                 "-c arduino -P %1", 0},
        ReadCase{"SingleQuotesRemoved", "[s]\np='12'\n", "s", "p", "12", 12},
        ReadCase{"BlanksAroundRemoved", "[s]\n \t p \t=  \t a  b \t \n", "s", "p", "a  b", 0},
        ReadCase{"QuotesInsideBlanksKeepInnerBlanks", "[s]\np=  ' x '  \n", "s", "p", " x ", 0},
        ReadCase{"OnlyOnePairOfQuotesRemoved", "[s]\np=\"\"x\"\"\n", "s", "p", "\"x\"", 0},
        ReadCase{"MismatchedQuotesKept", "[s]\np=\"x'\n", "s", "p", "\"x'", 0},
        ReadCase{"LoneQuoteKept", "[s]\np=\"\n", "s", "p", "\"", 0},
        ReadCase{"ValueCutTo2047", "[s]\np=" + kLongValue + "\n", "s", "p",
                 std::string(2000, 'a') + std::string(47, 'b'), 0},
        ReadCase{"QuotedValueCutAfterUnquoting", "[s]\np=\"" + kLongValue + "\"\n", "s", "p",
                 std::string(2000, 'a') + std::string(47, 'b'), 0},
        ReadCase{"EqualsInValueKept", "[s]\np=-U flash:w:%2:i\nq=a=b\n", "s", "q", "a=b", 0},
        ReadCase{"NegativeInteger", "[position]\nLeft=-1280\n", "position", "Left", "-1280", -1280},
        ReadCase{"NumberThenText", "[s]\nn=12abc\n", "s", "n", "12abc", 12},
        ReadCase{"TextIsZero", "[s]\nn=abc\n", "s", "n", "abc", 0},
        ReadCase{"PlusSignIsNotANumber", "[s]\nn=+5\n", "s", "n", "+5", 0},
        ReadCase{"MinusAloneIsZero", "[s]\nn=-\n", "s", "n", "-", 0},
        ReadCase{"LeadingZeros", "[s]\nn= 007 \n", "s", "n", "007", 7},
        ReadCase{"IntegerSaturatesHigh", "[s]\nn=99999999999999999999\n", "s", "n",
                 "99999999999999999999", INT_MAX},
        ReadCase{"IntegerSaturatesLow", "[s]\nn=-99999999999999999999\n", "s", "n",
                 "-99999999999999999999", INT_MIN},
        ReadCase{"IntegerMinimum", "[s]\nn=-2147483648\n", "s", "n", "-2147483648", INT_MIN},
        ReadCase{"IntegerJustOverMaximum", "[s]\nn=2147483648\n", "s", "n", "2147483648", INT_MAX},
        ReadCase{"EmptyValueIsZero", "[s]\nn=\n", "s", "n", "", 0},
        ReadCase{"MissingKeyGivesDefault", "[s]\nn=1\n", "s", "m", "", kDefault},
        ReadCase{"MissingSectionGivesDefault", "[s]\nn=1\n", "t", "n", "", kDefault},
        ReadCase{"MissingFileGivesDefault", std::nullopt, "s", "n", "", kDefault},
        ReadCase{"EmptySectionNameGivesDefault", "[]\nn=1\n", "", "n", "", kDefault},
        ReadCase{"EmptyKeyNameGivesDefault", "[s]\n=1\n", "s", "", "", kDefault},
        ReadCase{"DuplicateSectionFirstCounts", "[a]\nn=1\n[A]\nn=2\nm=3\n", "a", "n", "1", 1},
        ReadCase{"DuplicateSectionSecondNeverRead", "[a]\nn=1\n[A]\nm=3\n", "a", "m", "", kDefault},
        ReadCase{"DuplicateKeyFirstCounts", "[a]\nn=1\nN=2\n", "a", "n", "1", 1},
        ReadCase{"KeyOfNextSectionNotSeen", "[a]\nx=1\n[b]\nn=2\n", "a", "n", "", kDefault},
        ReadCase{"KeyBeforeFirstSectionBelongsToNone", "n=1\n[a]\n", "a", "n", "", kDefault},
        ReadCase{"CommentsAreNotKeys", "[a]\n;n=1\n  #n=2\nn=3\n", "a", "n", "3", 3},
        ReadCase{"JunkNulAndInvalidUtf8Ignored", "\xff\xfe\n[a]\njunk line\n\0\0\n\xc3(=x\nn=5\n"s,
                 "a", "n", "5", 5},
        ReadCase{"HeaderWithBlanksAndTrailingText", "  [ Board A ] text\nn=4\n", "board a", "n",
                 "4", 4},
        ReadCase{"BracketWithoutCloseIsNoHeader", "[a]\n[b\nn=6\n", "a", "n", "6", 6},
        ReadCase{"RequestedNamesTrimmed", "[a]\nn=8\n", " a ", "\tn ", "8", 8},
        ReadCase{"CrlfLines", "[a]\r\nn=9 \r\nm=1\r\n", "a", "n", "9", 9},
        ReadCase{"LoneCrLines", "[a]\rn=10\rm=1\r", "a", "m", "1", 1},
        ReadCase{"MixedLineEndings", "[x]\r\n[a]\rk=0\nn=11", "a", "n", "11", 11},
        ReadCase{"LastLineWithoutNewline", "[a]\nn=12", "a", "n", "12", 12}),
    [](const ::testing::TestParamInfo<ReadCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Writes: the whole file is compared, so a stray or missing byte anywhere fails.

struct WriteCase {
  const char* name;
  std::optional<std::string> before;  // nullopt: no file
  std::string section;
  std::string key;
  std::string value;
  std::optional<std::string> after;  // nullopt: refused, the file must be exactly as before
};

void PrintTo(const WriteCase& c, std::ostream* out) {
  *out << c.name;
}

class IniWriteTest : public ::testing::TestWithParam<WriteCase> {
 protected:
  TempDir dir_;
};

TEST_P(IniWriteTest, LeavesExactlyTheExpectedBytes) {
  const WriteCase& c = GetParam();
  const std::string path = dir_.File("quillbrook.ini");
  if (c.before) {
    ASSERT_TRUE(WriteBytes(path, *c.before));
  }
  IniFile file(path);
  EXPECT_EQ(file.WriteString(c.section, c.key, c.value), c.after.has_value());
  EXPECT_EQ(ReadBytes(path), c.after ? c.after : c.before);
}

const std::string kKept = "; top comment\n\xff\xfe\0junk\n"s;

INSTANTIATE_TEST_SUITE_P(
    Cases, IniWriteTest,
    ::testing::Values(
        WriteCase{"CreatesFile", std::nullopt, "position", "Left", "10", "[position]\nLeft=10\n"},
        WriteCase{"EmptyFile", "", "a", "k", "v", "[a]\nk=v\n"},
        WriteCase{"ReplacesValue", "[a]\nk=1\nj=2\n", "a", "k", "xyz", "[a]\nk=xyz\nj=2\n"},
        WriteCase{"ReplacesWithShorterValue", "[a]\nk=long value\nj=2\n", "a", "k", "s",
                  "[a]\nk=s\nj=2\n"},
        WriteCase{"ReplaceKeepsKeySpellingAndLineEnding", "[A]\r\n  Port = COM3 \r\nx=1\n", "a",
                  "PORT", "/dev/ttyACM0", "[A]\r\n  Port =/dev/ttyACM0\r\nx=1\n"},
        WriteCase{"ReplacesWithEmptyValue", "[a]\nk=1\n", "a", "k", "", "[a]\nk=\n"},
        WriteCase{"AddsAfterLastKeyOfSection", "[a]\nk=1\n; note\n\n[b]\nx=1\n", "a", "j", "2",
                  "[a]\nk=1\nj=2\n; note\n\n[b]\nx=1\n"},
        WriteCase{"AddsRightAfterHeaderWhenNoKeys", "[a]\n; c\n[b]\n", "A", "k", "v",
                  "[a]\nk=v\n; c\n[b]\n"},
        WriteCase{"AppendsSection", "[a]\nk=1\n", "b", "k", "2", "[a]\nk=1\n[b]\nk=2\n"},
        WriteCase{"RequestedNamesTrimmed", "[a]\nk=1\n", " b\t", " k ", "2",
                  "[a]\nk=1\n[b]\nk=2\n"},
        WriteCase{"ValueWrittenRaw", "[a]\n", "a", "p", "\"-p m328p\" x=y ",
                  "[a]\np=\"-p m328p\" x=y \n"},
        WriteCase{"CrlfFileStaysCrlf", "[a]\r\nk=1\r\n", "a", "j", "2", "[a]\r\nk=1\r\nj=2\r\n"},
        WriteCase{"CrlfFileNewSection", "[a]\r\nk=1\r\n", "b", "j", "2",
                  "[a]\r\nk=1\r\n[b]\r\nj=2\r\n"},
        WriteCase{"CrOnlyFileStaysCrOnly", "[a]\rk=1\r", "b", "k", "2", "[a]\rk=1\r[b]\rk=2\r"},
        WriteCase{"CrOnlyAddToSection", "[a]\rk=1\r[b]\r", "a", "j", "2", "[a]\rk=1\rj=2\r[b]\r"},
        WriteCase{"FirstLineEndingSetsStyle", "; x\r\n[a]\nk=1\n", "a", "j", "2",
                  "; x\r\n[a]\nk=1\nj=2\r\n"},
        WriteCase{"LoneCrBeforeLfDoesNotSwallowEmptyLine", "x\r[a]\n\nrest\n", "a", "k", "v",
                  "x\r[a]\nk=v\r\n\nrest\n"},
        WriteCase{"NoTrailingNewlineReplace", "[a]\nk=1", "a", "k", "5", "[a]\nk=5"},
        WriteCase{"NoTrailingNewlineAddToSection", "[a]\nk=1", "a", "j", "2", "[a]\nk=1\nj=2\n"},
        WriteCase{"NoTrailingNewlineHeaderOnly", "[a]", "a", "k", "v", "[a]\nk=v\n"},
        WriteCase{"NoTrailingNewlineAppendSection", "[a]\nk=1", "b", "k", "v",
                  "[a]\nk=1\n[b]\nk=v\n"},
        WriteCase{"NoTrailingNewlineCrlfStyle", "[a]\r\nk=1", "b", "k", "v",
                  "[a]\r\nk=1\r\n[b]\r\nk=v\r\n"},
        WriteCase{"CommentsAndJunkKept", kKept + "[a]\n#c\nk=1\nnot a key\n", "a", "k", "2",
                  kKept + "[a]\n#c\nk=2\nnot a key\n"},
        WriteCase{"NulAndInvalidUtf8ElsewhereKept", "[a]\nk=1\n\0\xc3\x28\xff\n[b]\nz=\x80\n"s, "a",
                  "j", "\xc3\xa9", "[a]\nk=1\nj=\xc3\xa9\n\0\xc3\x28\xff\n[b]\nz=\x80\n"s},
        WriteCase{"DuplicateSectionFirstReplaced", "[a]\nk=1\n[A]\nk=2\n", "a", "k", "3",
                  "[a]\nk=3\n[A]\nk=2\n"},
        WriteCase{"DuplicateSectionFirstExtended", "[a]\nk=1\n[A]\nj=2\n", "a", "j", "4",
                  "[a]\nk=1\nj=4\n[A]\nj=2\n"},
        WriteCase{"DuplicateKeyFirstReplaced", "[a]\nk=1\nK=2\n", "a", "k", "3", "[a]\nk=3\nK=2\n"},
        WriteCase{"KeyBeforeFirstSectionUntouched", "k=1\n[a]\n", "a", "k", "2", "k=1\n[a]\nk=2\n"},
        // Refused: each of these would break the structure or inject lines.
        WriteCase{"RefusesValueWithLf", "[a]\nk=1\n", "a", "k", "x\n[evil]\nk=1", std::nullopt},
        WriteCase{"RefusesValueWithCr", "[a]\nk=1\n", "a", "k", "x\ry", std::nullopt},
        WriteCase{"RefusesValueWithNul", "[a]\nk=1\n", "a", "k", "x\0y"s, std::nullopt},
        WriteCase{"RefusesSectionWithBracket", "[a]\nk=1\n", "a]b", "k", "v", std::nullopt},
        WriteCase{"RefusesSectionWithLf", "[a]\nk=1\n", "a\nb", "k", "v", std::nullopt},
        WriteCase{"RefusesSectionWithNul", "[a]\nk=1\n", "a\0b"s, "k", "v", std::nullopt},
        WriteCase{"RefusesEmptySection", "[a]\nk=1\n", "", "k", "v", std::nullopt},
        WriteCase{"RefusesBlankSection", "[a]\nk=1\n", " \t", "k", "v", std::nullopt},
        WriteCase{"RefusesKeyWithEquals", "[a]\nk=1\n", "a", "k=x", "v", std::nullopt},
        WriteCase{"RefusesKeyWithCr", "[a]\nk=1\n", "a", "k\rx", "v", std::nullopt},
        WriteCase{"RefusesKeyWithNul", "[a]\nk=1\n", "a", "k\0"s, "v", std::nullopt},
        WriteCase{"RefusesKeyStartingWithBracket", "[a]\nk=1\n", "a", "[k]", "v", std::nullopt},
        WriteCase{"RefusesKeyStartingWithSemicolon", "[a]\nk=1\n", "a", " ;k", "v", std::nullopt},
        WriteCase{"RefusesKeyStartingWithHash", "[a]\nk=1\n", "a", "#k", "v", std::nullopt},
        WriteCase{"RefusesEmptyKey", "[a]\nk=1\n", "a", "", "v", std::nullopt},
        WriteCase{"RefusedWriteCreatesNoFile", std::nullopt, "a", "k", "x\ny", std::nullopt}),
    [](const ::testing::TestParamInfo<WriteCase>& info) { return std::string(info.param.name); });

TEST_F(IniFileTest, WritesIntegersAsPlainDecimal) {
  ASSERT_TRUE(file_.WriteInteger("position", "Left", -1280));
  ASSERT_TRUE(file_.WriteInteger("position", "Top", 0));
  ASSERT_TRUE(file_.WriteInteger("position", "Width", INT_MIN));
  ASSERT_TRUE(file_.WriteInteger("position", "Height", INT_MAX));
  EXPECT_EQ(ReadBytes(path_),
            "[position]\nLeft=-1280\nTop=0\nWidth=-2147483648\nHeight=2147483647\n");
  EXPECT_EQ(file_.ReadInteger("position", "Left", 0), -1280);
  EXPECT_EQ(file_.ReadInteger("position", "Width", 0), INT_MIN);
  EXPECT_EQ(file_.ReadInteger("position", "Height", 0), INT_MAX);
}

TEST_F(IniFileTest, EveryCallSeesTheFileAsItIsNow) {
  ASSERT_TRUE(file_.WriteString("uno", "port", "/dev/ttyUSB0"));
  EXPECT_EQ(file_.ReadString("uno", "port"), "/dev/ttyUSB0");
  // A hand edit between two calls.
  ASSERT_TRUE(WriteBytes(path_, "[uno]\nport=/dev/ttyACM1\n[nano]\n"));
  EXPECT_EQ(file_.ReadString("uno", "port"), "/dev/ttyACM1");
  EXPECT_EQ(file_.ListSections(), (std::vector<std::string>{"uno", "nano"}));
  ASSERT_TRUE(file_.WriteString("nano", "port", "/dev/ttyS0"));
  EXPECT_EQ(ReadBytes(path_), "[uno]\nport=/dev/ttyACM1\n[nano]\nport=/dev/ttyS0\n");
  ASSERT_EQ(::unlink(path_.c_str()), 0);
  EXPECT_EQ(file_.ReadString("uno", "port"), "");
}

// ---------------------------------------------------------------------------------------------
// Section listing

TEST_F(IniFileTest, ListsSectionsInFileOrderOnceEach) {
  ASSERT_TRUE(WriteBytes(path_,
                         "; [comment]\nk=1\n[b]\n[position]\n  [A] tail\n[Init]\r\n[a]\n"
                         "[init]\r[ c d ]\n[]\n[e\n[B]\n"));
  EXPECT_EQ(file_.ListSections(), (std::vector<std::string>{"b", "position", "A", "Init", "c d"}));
}

TEST_F(IniFileTest, ListsNothingForMissingOrEmptyFile) {
  EXPECT_TRUE(file_.ListSections().empty());
  ASSERT_TRUE(WriteBytes(path_, ""));
  EXPECT_TRUE(file_.ListSections().empty());
}

TEST_F(IniFileTest, ListsOnlyAsManyNamesAsFitInto32767Characters) {
  // 327 names of 99 characters take 327 * 100 = 32700; a name of 66 fills the rest exactly.
  std::string content;
  std::vector<std::string> fitting;
  for (int i = 0; i < 327; ++i) {
    std::string name = std::to_string(1000 + i) + std::string(95, 'n');
    content += "[" + name + "]\nk=1\n";
    fitting.push_back(name);
  }
  const std::string last(66, 'z');
  content += "[" + last + "]\n";
  fitting.push_back(last);
  // A duplicate costs nothing; the next new name, however short, no longer fits, nor does any
  // name after it.
  content += "[" + fitting.front() + "]\n[x]\n[y]\n";
  ASSERT_TRUE(WriteBytes(path_, content));
  EXPECT_EQ(file_.ListSections(), fitting);
}

// ---------------------------------------------------------------------------------------------
// Where and how the file is written

// The events a directory watch has queued so far, as (modifications of the file, other events).
std::pair<int, int> DrainEvents(int watch) {
  alignas(inotify_event) char buffer[4096];
  int modifications = 0;
  int others = 0;
  ssize_t got;
  while ((got = ::read(watch, buffer, sizeof buffer)) > 0) {
    for (ssize_t at = 0; at < got;) {
      const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
      if (event->mask == IN_MODIFY && std::string_view(event->name) == "quillbrook.ini") {
        ++modifications;
      } else {
        ++others;
      }
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return {modifications, others};
}

TEST_F(IniFileTest, WritesInPlaceSoAWatchSeesAModification) {
  ASSERT_TRUE(WriteBytes(path_, "[a]\nk=1\n"));
  struct stat before {};
  ASSERT_EQ(::stat(path_.c_str(), &before), 0);

  const int watch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  ASSERT_GE(watch, 0);
  ASSERT_GE(::inotify_add_watch(watch, dir().path().c_str(),
                                IN_MODIFY | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE),
            0);
  // The events of a write are queued by the time the call returns. Identical events in a row are
  // merged by the kernel, so each write is checked on its own.
  ASSERT_TRUE(file_.WriteString("a", "k", "22"));  // longer
  const auto [longerModifications, longerOthers] = DrainEvents(watch);
  ASSERT_TRUE(file_.WriteString("a", "k", "3"));  // shorter: truncated
  const auto [shorterModifications, shorterOthers] = DrainEvents(watch);
  ::close(watch);
  EXPECT_GE(longerModifications, 1);
  EXPECT_EQ(longerOthers, 0);
  EXPECT_GE(shorterModifications, 1);
  EXPECT_EQ(shorterOthers, 0);

  struct stat after {};
  ASSERT_EQ(::stat(path_.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(ReadBytes(path_), "[a]\nk=3\n");
}

TEST_F(IniFileTest, CreatesFileWithModeAllowedByUmask) {
  const mode_t old = ::umask(027);
  const bool written = file_.WriteString("a", "k", "v");
  ::umask(old);
  ASSERT_TRUE(written);
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST_F(IniFileTest, CreatesMissingDirectoriesOnWriteNotOnRead) {
  IniFile oneLevel(dir().File("quillbrook/quillbrook.ini"));
  EXPECT_EQ(oneLevel.ReadString("a", "k"), "");  // reading creates nothing
  EXPECT_NE(::access(dir().File("quillbrook").c_str(), F_OK), 0);
  ASSERT_TRUE(oneLevel.WriteString("a", "k", "v"));
  EXPECT_EQ(ReadBytes(oneLevel.path()), "[a]\nk=v\n");

  IniFile twoLevels(dir().File("config/quillbrook/quillbrook.ini"));
  EXPECT_EQ(twoLevels.ReadString("a", "k"), "");
  EXPECT_NE(::access(dir().File("config").c_str(), F_OK), 0);
  ASSERT_TRUE(twoLevels.WriteString("a", "k", "v"));
  EXPECT_EQ(ReadBytes(twoLevels.path()), "[a]\nk=v\n");
}

TEST_F(IniFileTest, FailsWhenParentIsARegularFile) {
  ASSERT_TRUE(WriteBytes(dir().File("plain"), "[a]\nk=1\n"));
  IniFile file(dir().File("plain/quillbrook.ini"));
  EXPECT_FALSE(file.WriteString("a", "k", "v"));
  EXPECT_FALSE(file.WriteInteger("a", "k", 1));
  EXPECT_EQ(file.ReadInteger("a", "k", kDefault), kDefault);
  EXPECT_EQ(ReadBytes(dir().File("plain")), "[a]\nk=1\n");
}

TEST_F(IniFileTest, FailsWhenPathIsADirectory) {
  ASSERT_EQ(::mkdir(path_.c_str(), 0755), 0);
  EXPECT_FALSE(file_.WriteString("a", "k", "v"));
  EXPECT_EQ(file_.ReadString("a", "k"), "");
  EXPECT_EQ(file_.ReadInteger("a", "k", kDefault), kDefault);
  EXPECT_TRUE(file_.ListSections().empty());
  struct stat info {};
  ASSERT_EQ(::stat(path_.c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(IniFileTest, RefusesAFifoWithoutBlocking) {
  ASSERT_EQ(::mkfifo(path_.c_str(), 0644), 0);
  EXPECT_EQ(file_.ReadString("a", "k"), "");
  EXPECT_TRUE(file_.ListSections().empty());
  EXPECT_FALSE(file_.WriteString("a", "k", "v"));
}

// A quadratic scan or a copy per line would make this test crawl; a linear one takes moments.
TEST_F(IniFileTest, HandlesATenMegabyteLine) {
  const std::string huge(10 * 1024 * 1024, 'x');
  const std::string before = huge + "\n[a]\nbig=" + huge + "\nk=1\n[b]\n";
  ASSERT_TRUE(WriteBytes(path_, before));

  EXPECT_EQ(file_.ReadString("a", "k"), "1");
  EXPECT_EQ(file_.ReadString("a", "big"), std::string(2047, 'x'));
  EXPECT_EQ(file_.ListSections(), (std::vector<std::string>{"a", "b"}));

  ASSERT_TRUE(file_.WriteString("a", "k", "2"));
  ASSERT_TRUE(file_.WriteString("a", "j", "3"));
  EXPECT_EQ(ReadBytes(path_), huge + "\n[a]\nbig=" + huge + "\nk=2\nj=3\n[b]\n");
}

}  // namespace
}  // namespace quillbrook
