// fake_directory_watcher.cpp: watchers that record starts and stops and deliver what a test says.
#include "tests/support/fake_directory_watcher.h"

#include <algorithm>
#include <utility>

namespace quillbrook::testing {

FakeDirectoryWatcher::FakeDirectoryWatcher(FakeWatcherFactory& factory, std::string name,
                                           ChangeHandler onChange)
    : factory_(factory), name_(std::move(name)), onChange_(std::move(onChange)) {
  factory_.living_.push_back(this);
}

FakeDirectoryWatcher::~FakeDirectoryWatcher() {
  std::erase(factory_.living_, this);
}

bool FakeDirectoryWatcher::Start(const std::string& directory) {
  starts_.push_back(directory);
  running_ = true;
  if (factory_.journal_ != nullptr) {
    factory_.journal_->Add(name_ + ": start " + directory);
  }
  return true;
}

void FakeDirectoryWatcher::Stop() {
  running_ = false;
  ++stops_;
  if (factory_.journal_ != nullptr) {
    factory_.journal_->Add(name_ + ": stop");
  }
}

bool FakeDirectoryWatcher::Deliver(int action, const std::string& fullPath) {
  if (!running_) {
    return false;
  }
  onChange_(action, fullPath);
  return true;
}

std::unique_ptr<DirectoryWatcher> FakeWatcherFactory::Create(
    DirectoryWatcher::ChangeHandler onChange) {
  // A second program made with the same factory names its watchers as the first did.
  const std::size_t index = created_++;
  std::string name =
      names_.empty() ? "Watcher" + std::to_string(index) : names_[index % names_.size()];
  return std::make_unique<FakeDirectoryWatcher>(*this, std::move(name), std::move(onChange));
}

FakeDirectoryWatcher* FakeWatcherFactory::Get(const std::string& name) const {
  for (FakeDirectoryWatcher* watcher : living_) {
    if (watcher->name() == name) {
      return watcher;
    }
  }
  return nullptr;
}

}  // namespace quillbrook::testing
