// param_template_test.cpp: the expansion of %1, %2 and %% in avrdude parameter templates.
#include "flash/param_template.h"

#include <gtest/gtest.h>

#include <string>

namespace quillbrook {
namespace {

using namespace std::string_literals;

struct ExpansionCase {
  std::string paramTemplate;
  std::string port;
  std::string hexPath;
  std::string expected;
};

class ExpandParamTemplateTest : public ::testing::TestWithParam<ExpansionCase> {};

TEST_P(ExpandParamTemplateTest, GivesTheExpectedArguments) {
  const ExpansionCase& c = GetParam();
  EXPECT_EQ(ExpandParamTemplate(c.paramTemplate, c.port, c.hexPath), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    DocumentedCases, ExpandParamTemplateTest,
    ::testing::Values(ExpansionCase{R"(-P %1 -U flash:w:%2:i)", "COM3", R"(C:\fw\a.hex)",
                                    R"(-P COM3 -U flash:w:C:\fw\a.hex:i)"},
                      ExpansionCase{"%1%2", "5", "7", "57"}, ExpansionCase{"%2%1", "5", "7", "75"},
                      ExpansionCase{"100%% -P %1", "COM4", "x", "100% -P COM4"},
                      ExpansionCase{"%%1 %1", "COM1", "x", "%1 COM1"},
                      ExpansionCase{"%10 %1", "COM1", "x", "%10 COM1"},
                      ExpansionCase{"%3 -P %1", "", "x", "%3 -P "},
                      ExpansionCase{"", "COM1", "x", ""}));

INSTANTIATE_TEST_SUITE_P(
    PercentSigns, ExpandParamTemplateTest,
    ::testing::Values(ExpansionCase{"%", "p", "h", "%"}, ExpansionCase{"50%", "p", "h", "50%"},
                      ExpansionCase{"%%%%", "p", "h", "%%"}, ExpansionCase{"%%%1", "p", "h", "%p"},
                      ExpansionCase{"%1%%", "p", "h", "p%"}, ExpansionCase{"%%2", "p", "h", "%2"},
                      ExpansionCase{"%12 %21 %2", "p", "h", "%12 %21 h"},
                      ExpansionCase{"%1x%2-%1", "p", "h", "pxh-p"}));

INSTANTIATE_TEST_SUITE_P(
    Values, ExpandParamTemplateTest,
    ::testing::Values(
        // A value beginning with a digit does not turn the pattern before it into %25.
        ExpansionCase{"%2%1", "5x", "h", "h5x"}, ExpansionCase{"%1%1", "1", "h", "11"},
        // The port is scanned for %2 after it is in place, with the digit rule.
        ExpansionCase{"-P %1", "a%2b", "HEX", "-P aHEXb"},
        ExpansionCase{"-P %1", "a%23", "HEX", "-P a%23"},
        ExpansionCase{"%1 %1", "%2", "HEX", "HEX HEX"},
        // The HEX path is never scanned again, and no pattern reaches into it.
        ExpansionCase{"%2", "p", "%1 %2 %%", "%1 %2 %%"}, ExpansionCase{"%2%1", "2", "h", "h2"},
        ExpansionCase{"%%%1%%", "%%", "h", "%%%%"},
        // A %% inside a value stays two signs; in the port, its second sign still starts %2.
        ExpansionCase{"%1", "100%%", "h", "100%%"}, ExpansionCase{"%1", "a%%2", "h", "a%h"},
        // Quotes and spaces go in unchanged.
        ExpansionCase{R"(-U "flash:w:%2:i")", "p", "my dir/a b.hex",
                      R"(-U "flash:w:my dir/a b.hex:i")"}));

// Characters of codes 0 and 1 are ordinary text: neither the template nor a value can pose as
// one of the expansion's own marks.
INSTANTIATE_TEST_SUITE_P(
    ControlCharacters, ExpandParamTemplateTest,
    ::testing::Values(ExpansionCase{"a\x01%1\0b"s, "p", "h", "a\x01p\0b"s},
                      ExpansionCase{"%\x01"
                                    "2"s,
                                    "p", "h",
                                    "%\x01"
                                    "2"s},
                      ExpansionCase{"%1 %2", "p\0q"s, "h\x01i"s, "p\0q h\x01i"s},
                      ExpansionCase{"\0\0%1\x01\x01"s, "p", "h", "\0\0p\x01\x01"s}));

TEST(ExpandParamTemplateLarge, ManyPatternsAreAllReplaced) {
  // Splicing each value into the text in place would take quadratic time here; the test would
  // run for minutes instead of milliseconds.
  constexpr int kPatterns = 50000;
  std::string paramTemplate;
  std::string expected;
  const std::string port(40, 'p');
  for (int i = 0; i < kPatterns; ++i) {
    paramTemplate += i % 2 == 0 ? "%1 " : "%2%% ";
    expected += i % 2 == 0 ? port + " " : "hex% ";
  }
  EXPECT_EQ(ExpandParamTemplate(paramTemplate, port, "hex"), expected);
}

}  // namespace
}  // namespace quillbrook
