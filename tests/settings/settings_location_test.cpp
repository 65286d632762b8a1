// settings_location_test.cpp: the choice of the settings file's path from injected inputs.
#include "settings/settings_location.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace quillbrook {
namespace {

struct LocationCase {
  const char* name;
  std::string programDirectory;
  bool writable;
  std::string xdgConfigHome;
  std::string home;
  std::string expected;
};

void PrintTo(const LocationCase& c, std::ostream* out) {
  *out << c.name;
}

class SettingsLocationTest : public ::testing::TestWithParam<LocationCase> {};

TEST_P(SettingsLocationTest, ChoosesThePath) {
  const LocationCase& c = GetParam();
  EXPECT_EQ(ChooseSettingsPath(c.programDirectory, c.writable, c.xdgConfigHome, c.home),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsLocationTest,
    ::testing::Values(LocationCase{"BesideWritableProgram", "/opt/qb/", true, "/cfg", "/home/u",
                                   "/opt/qb/quillbrook.ini"},
                      LocationCase{"ProgramDirectoryWithoutSlash", "/opt/qb", true, "", "/home/u",
                                   "/opt/qb/quillbrook.ini"},
                      LocationCase{"XdgConfigHome", "/usr/bin/", false, "/cfg", "/home/u",
                                   "/cfg/quillbrook/quillbrook.ini"},
                      LocationCase{"XdgConfigHomeWithSlash", "/usr/bin/", false, "/cfg/", "/home/u",
                                   "/cfg/quillbrook/quillbrook.ini"},
                      LocationCase{"XdgUnsetUsesHome", "/usr/bin/", false, "", "/home/u",
                                   "/home/u/.config/quillbrook/quillbrook.ini"},
                      LocationCase{"XdgRelativeUsesHome", "/usr/bin/", false, "cfg", "/home/u/",
                                   "/home/u/.config/quillbrook/quillbrook.ini"},
                      LocationCase{"HomeIsRoot", "/usr/bin/", false, "", "/",
                                   "/.config/quillbrook/quillbrook.ini"},
                      LocationCase{"NoHomeKeepsProgramDirectory", "/usr/bin/", false, "", "",
                                   "/usr/bin/quillbrook.ini"},
                      LocationCase{"RelativeHomeKeepsProgramDirectory", "/usr/bin/", false, "x",
                                   "home", "/usr/bin/quillbrook.ini"},
                      LocationCase{"UnknownProgramDirectory", "", true, "", "/home/u",
                                   "/home/u/.config/quillbrook/quillbrook.ini"},
                      LocationCase{"NothingAbsolute", "", false, "", "", ""}),
    [](const ::testing::TestParamInfo<LocationCase>& info) {
      return std::string(info.param.name);
    });

}  // namespace
}  // namespace quillbrook
