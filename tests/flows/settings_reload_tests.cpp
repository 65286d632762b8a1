// settings_reload_tests.cpp: which change records reload the settings, and what a reload runs.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/settings_reload.h"
#include "tests/support/fake_directory_watcher.h"
#include "tests/support/journal.h"

namespace quillbrook {
namespace {

using ::testing::ElementsAre;
using testing::FakeDirectoryWatcher;
using testing::FakeWatcherFactory;
using testing::Journal;

class SettingsReloadTest : public ::testing::Test {
 protected:
  FakeDirectoryWatcher& Watcher() { return *watchers_.Get("SettingsWatch"); }
  int Reloads() const {
    return static_cast<int>(std::count(journal_.entries().begin(), journal_.entries().end(),
                                       std::string("load type list")));
  }

  Journal journal_;
  FakeWatcherFactory watchers_{{"SettingsWatch"}, &journal_};
  SettingsReload reload_{[this](DirectoryWatcher::ChangeHandler onChange) {
                           return watchers_.Create(std::move(onChange));
                         },
                         "settings/dir/quillbrook.ini",
                         SettingsReload::Steps{[this] { journal_.Add("load type list"); },
                                               [this] { journal_.Add("rescan ports"); },
                                               [this] { journal_.Add("load HEX path"); }}};
};

TEST_F(SettingsReloadTest, WatchesTheSettingsDirectoryOnlyOnceStarted) {
  EXPECT_FALSE(Watcher().running());
  EXPECT_FALSE(Watcher().Deliver(kFileModified, "settings/dir/quillbrook.ini"));
  EXPECT_TRUE(reload_.StartSettingsWatch());
  EXPECT_THAT(Watcher().starts(), ElementsAre("settings/dir/"));
}

TEST_F(SettingsReloadTest, EachModificationOfTheSettingsFileInAnyCaseReloadsInOrder) {
  ASSERT_TRUE(reload_.StartSettingsWatch());
  journal_.Take();
  struct Record {
    int action;
    const char* name;
    int reloads;
  };
  for (const Record& record :
       {Record{kFileModified, "quillbrook.ini", 1}, Record{kFileModified, "Quillbrook.ini", 1},
        Record{kFileModified, "QUILLBROOK.INI", 1}, Record{kFileModified, "quillbrook.ini~", 0},
        Record{kFileModified, ".quillbrook.ini.swp", 0}, Record{kFileModified, "quillbrook", 0},
        Record{kFileModified, "other.ini", 0}, Record{kChangesLost, "", 0},
        Record{kFileAdded, "quillbrook.ini", 0}, Record{kFileRemoved, "quillbrook.ini", 0},
        Record{kFileRenamedFrom, "quillbrook.ini", 0},
        Record{kFileRenamedTo, "quillbrook.ini", 0}}) {
    const int before = Reloads();
    Watcher().Deliver(record.action, std::string("settings/dir/") + record.name);
    EXPECT_EQ(Reloads() - before, record.reloads) << record.action << " " << record.name;
  }
  journal_.Take();
  // Two matching records: two reloads, one after the other, each in the order of its steps.
  Watcher().Deliver(kFileModified, "settings/dir/quillbrook.ini");
  Watcher().Deliver(kFileModified, "settings/dir/quillbrook.ini");
  EXPECT_THAT(journal_.Take(), ElementsAre("load type list", "rescan ports", "load HEX path",
                                           "load type list", "rescan ports", "load HEX path"));
}

}  // namespace
}  // namespace quillbrook
