// journal.h: one ordered record of what the fakes were asked to do, across fakes.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace quillbrook::testing {

// Main thread only: the fakes that write here are all driven from the test's thread.
class Journal {
 public:
  void Add(std::string entry) { entries_.push_back(std::move(entry)); }
  const std::vector<std::string>& entries() const { return entries_; }
  // What was added since the last Take, which it then forgets.
  std::vector<std::string> Take();

 private:
  std::vector<std::string> entries_;
};

}  // namespace quillbrook::testing
