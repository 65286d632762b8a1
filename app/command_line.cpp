// command_line.cpp: reads the command line, whose only meaning is the request for the information
// box.
#include "app/command_line.h"

#include <string_view>

namespace quillbrook {

bool AsksForInfoBox(int argc, const char* const* argv) {
  if (argc < 2 || argv[1] == nullptr) {
    return false;
  }
  std::string_view first = argv[1];
  // A launcher that passes the argument through a Windows-style command line may leave its quotes
  // on.
  if (first.size() >= 2 && first.front() == '"' && first.back() == '"') {
    first = first.substr(1, first.size() - 2);
  }
  return first == "/ih";
}

}  // namespace quillbrook
