// journal.cpp: one ordered record of what the fakes were asked to do, across fakes.
#include "tests/support/journal.h"

#include <utility>

namespace quillbrook::testing {

std::vector<std::string> Journal::Take() {
  return std::exchange(entries_, {});
}

}  // namespace quillbrook::testing
