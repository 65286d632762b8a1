// command_line_test.cpp: splitting and stripping avrdude's command line.
#include "flash/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillbrook {
namespace {

using namespace std::string_literals;
using Words = std::vector<std::string>;

struct SplitCase {
  std::string line;
  Words words;
};

class SplitCommandLineTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitCommandLineTest, GivesTheWords) {
  EXPECT_EQ(SplitCommandLine(GetParam().line), GetParam().words);
}

INSTANTIATE_TEST_SUITE_P(
    Blanks, SplitCommandLineTest,
    ::testing::Values(SplitCase{"", {}}, SplitCase{" \t  ", {}},
                      SplitCase{"a b\tc", {"a", "b", "c"}},
                      SplitCase{"  -p  m328p\t\t-v ", {"-p", "m328p", "-v"}},
                      // Only space and tab separate; other control characters are text.
                      SplitCase{"a\nb\rc\vd", {"a\nb\rc\vd"}},
                      SplitCase{"a\x01 b", {"a\x01", "b"}}));

INSTANTIATE_TEST_SUITE_P(
    Quotes, SplitCommandLineTest,
    ::testing::Values(SplitCase{R"("a b" c)", {"a b", "c"}},
                      SplitCase{R"(a"b c"d e)", {"ab cd", "e"}}, SplitCase{R"("a"b"c")", {"abc"}},
                      SplitCase{R"(a""b)", {"ab"}}, SplitCase{R"("")", {""}},
                      SplitCase{R"(a "" b)", {"a", "", "b"}}, SplitCase{R"("" "")", {"", ""}},
                      SplitCase{"\"a\tb  c\"", {"a\tb  c"}},
                      // An unclosed quote runs to the end of the line, blanks included.
                      SplitCase{R"(-U "flash:w:my file.hex )", {"-U", "flash:w:my file.hex "}},
                      SplitCase{R"(")", {""}}));

INSTANTIATE_TEST_SUITE_P(
    Backslashes, SplitCommandLineTest,
    ::testing::Values(SplitCase{R"(C:\fw\a.hex)", {R"(C:\fw\a.hex)"}},
                      SplitCase{R"(a\\b \\\c)", {R"(a\\b)", R"(\\\c)"}},
                      SplitCase{R"(a\ b\)", {R"(a\)", R"(b\)"}}, SplitCase{R"(a\"b)", {R"(a"b)"}},
                      SplitCase{R"(a\\"b c")", {R"(a\b c)"}},
                      SplitCase{R"(a\\\"b c)", {R"(a\"b)", "c"}},
                      SplitCase{R"(a\\\\"b c")", {R"(a\\b c)"}},
                      SplitCase{R"("a\"b" c)", {R"(a"b)", "c"}},
                      // The Windows pitfall: a directory's trailing backslash escapes the quote.
                      SplitCase{R"("C:\Program Files\" -v)", {R"(C:\Program Files" -v)"}},
                      SplitCase{R"("C:\Program Files\\" -v)", {R"(C:\Program Files\)", "-v"}}));

INSTANTIATE_TEST_SUITE_P(ShellCharacters, SplitCommandLineTest,
                         ::testing::Values(SplitCase{R"(;|&$() $(rm x) `id` 'a b' *.hex ~ >out)",
                                                     {";|&$()", "$(rm", "x)", "`id`", "'a", "b'",
                                                      "*.hex", "~", ">out"}},
                                           SplitCase{"100% %PATH%", {"100%", "%PATH%"}}));

TEST(StripCommandLine, RemovesBlanksAndControlCharactersAtBothEndsOnly) {
  EXPECT_EQ(StripCommandLine(""), "");
  EXPECT_EQ(StripCommandLine(" \t\r\n\x01\x1f "), "");
  EXPECT_EQ(StripCommandLine("\0 avrdude -v \n\0"s), "avrdude -v");
  EXPECT_EQ(StripCommandLine("a \x01\t b"), "a \x01\t b");
  // Code 127 and the bytes of UTF-8 text are above 32 and stay.
  EXPECT_EQ(StripCommandLine("\x7f\xc3\xa9 x \xc3\xa9\x7f"), "\x7f\xc3\xa9 x \xc3\xa9\x7f");
}

TEST(AvrdudeArguments, OnlyTheStrippedFormLosesTrailingBlanksAndControlCharacters) {
  const std::string flashArgs = "  -v \"x y \t\r\n";
  EXPECT_EQ(AvrdudeArguments(flashArgs, CommandLineForm::kAsBuilt), (Words{"-v", "x y \t\r\n"}));
  EXPECT_EQ(AvrdudeArguments(flashArgs, CommandLineForm::kStripped), (Words{"-v", "x y"}));
  EXPECT_EQ(AvrdudeArguments("\x01-v", CommandLineForm::kStripped), (Words{"\x01-v"}));
  for (const CommandLineForm form : {CommandLineForm::kAsBuilt, CommandLineForm::kStripped}) {
    EXPECT_EQ(AvrdudeArguments("", form), Words{});
    EXPECT_EQ(AvrdudeArguments(" \t ", form), Words{});
    EXPECT_EQ(AvrdudeArguments(R"(-P COM3 -U "flash:w:a b.hex:i")", form),
              (Words{"-P", "COM3", "-U", "flash:w:a b.hex:i"}));
  }
}

}  // namespace
}  // namespace quillbrook
