// fake_avrdude.cpp: stands in for avrdude in the launch tests, as its environment tells it.
//
// Records how it was started, then writes, exits or hangs:
//   FAKE_AVRDUDE_RECORD_DIR     where "avrdude-<pid>.fds" and ".argv" go (see fake_record.h)
//   FAKE_AVRDUDE_STDOUT_BYTES   this many bytes 'o' to standard output (written first)
//   FAKE_AVRDUDE_STDOUT         this text to standard output
//   FAKE_AVRDUDE_STDERR         this text to the error output (written last)
//   FAKE_AVRDUDE_HANG           "1": sleep until killed instead of exiting
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "tests/flash/fake_record.h"

namespace {

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0) {
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

const char* Variable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
  if (!quillbrook::testing::RecordStart("avrdude", argc, argv)) {
    return 3;
  }
  const std::string filler(std::strtoul(Variable("FAKE_AVRDUDE_STDOUT_BYTES"), nullptr, 10), 'o');
  if (!WriteAll(STDOUT_FILENO, filler) ||
      !WriteAll(STDOUT_FILENO, Variable("FAKE_AVRDUDE_STDOUT")) ||
      !WriteAll(STDERR_FILENO, Variable("FAKE_AVRDUDE_STDERR"))) {
    return 4;
  }
  if (std::string_view(Variable("FAKE_AVRDUDE_HANG")) == "1") {
    while (true) {
      ::pause();
    }
  }
  return 0;
}
