// fake_terminal.cpp: stands in for a terminal emulator in the launch tests.
//
// Records how it was started, like the fake avrdude, then runs what follows "-e" in its place.
#include <unistd.h>

#include <cstring>

#include "tests/flash/fake_record.h"

int main(int argc, char** argv) {
  if (!quillbrook::testing::RecordStart("terminal", argc, argv)) {
    return 3;
  }
  if (argc < 3 || std::strcmp(argv[1], "-e") != 0) {
    return 2;
  }
  ::execv(argv[2], argv + 2);
  return 127;
}
