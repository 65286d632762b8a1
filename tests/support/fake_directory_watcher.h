// fake_directory_watcher.h: watchers that record starts and stops and deliver what a test says.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/journal.h"
#include "watch/directory_watcher.h"

namespace quillbrook::testing {

class FakeWatcherFactory;

class FakeDirectoryWatcher : public DirectoryWatcher {
 public:
  FakeDirectoryWatcher(FakeWatcherFactory& factory, std::string name, ChangeHandler onChange);
  ~FakeDirectoryWatcher() override;

  // Watches any directory, whether it exists or not.
  bool Start(const std::string& directory) override;
  void Stop() override;

  // Runs the change handler with the record, as the main thread would; false, and nothing runs,
  // while the watcher is stopped.
  bool Deliver(int action, const std::string& fullPath);

  const std::string& name() const { return name_; }
  bool running() const { return running_; }
  // Every directory Start was asked to watch, in order.
  const std::vector<std::string>& starts() const { return starts_; }
  int stops() const { return stops_; }

 private:
  FakeWatcherFactory& factory_;
  std::string name_;
  ChangeHandler onChange_;
  bool running_ = false;
  std::vector<std::string> starts_;
  int stops_ = 0;
};

// Creates the watchers and names them in the order of their creation; the program creates the HEX
// watch first and the settings watch second.
class FakeWatcherFactory {
 public:
  // names: one for each watcher to be created, in order; journal may be null.
  FakeWatcherFactory(std::vector<std::string> names, Journal* journal)
      : names_(std::move(names)), journal_(journal) {}

  std::unique_ptr<DirectoryWatcher> Create(DirectoryWatcher::ChangeHandler onChange);

  // The living watcher of this name; null when none was created or it has been destroyed.
  FakeDirectoryWatcher* Get(const std::string& name) const;

 private:
  friend class FakeDirectoryWatcher;

  std::vector<std::string> names_;
  Journal* journal_;
  std::size_t created_ = 0;
  std::vector<FakeDirectoryWatcher*> living_;
};

}  // namespace quillbrook::testing
