// app_tests.cpp: the command line's one meaning and the fixed order of the start-up sequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/start_up.h"

namespace quillbrook {
namespace {

TEST(CommandLine, OnlyAnExactFirstArgumentAsksForTheInfoBox) {
  struct Case {
    std::vector<const char*> args;
    bool infoBox;
  };
  const Case cases[] = {
      {{"/ih"}, true},    {{"\"/ih\""}, true},      {{"/ih", "more"}, true}, {{}, false},
      {{"/IH"}, false},   {{"-ih"}, false},         {{"/ihx"}, false},       {{"x", "/ih"}, false},
      {{"\"/ih"}, false}, {{"\"\"/ih\"\""}, false}, {{""}, false},           {{"\""}, false},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"quillbrook"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    argv.push_back(nullptr);
    EXPECT_EQ(AsksForInfoBox(static_cast<int>(argv.size()) - 1, argv.data()), c.infoBox)
        << (c.args.empty() ? "(none)" : c.args.front());
  }
}

TEST(StartUp, RunsEveryStepOnceInItsFixedOrderAndSkipsMissingOnes) {
  std::vector<std::string> ran;
  auto record = [&ran](const char* name) { return [&ran, name] { ran.emplace_back(name); }; };
  StartUpSteps steps;
  steps.startSettingsWatch = record("settings watch");
  steps.applyOverlay = record("overlay");
  steps.startCollapseTimer = record("collapse timer");
  steps.applyAutoMode = record("auto");
  steps.applyLogMode = record("log");
  steps.loadHexPath = record("hex path");
  steps.showNoChanges = record("no changes");
  steps.loadTypeList = record("types");
  // The port scan is left out, as a part not yet built would leave it.
  StartUp(steps);
  EXPECT_EQ(ran, (std::vector<std::string>{"types", "no changes", "hex path", "log", "auto",
                                           "collapse timer", "overlay", "settings watch"}));
}

}  // namespace
}  // namespace quillbrook
