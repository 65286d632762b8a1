// flash_state.cpp: what the status picture shows, and the one list of its texts.
#include "flash/flash_state.h"

#include <string_view>

namespace quillbrook {

namespace {
constexpr std::string_view kStateTexts = "No changes\r\nChanges detected!\r\nFlashing ...\r\nDone";
}  // namespace

std::string FlashStateText(FlashState state) {
  std::string_view rest = kStateTexts;
  for (int skip = static_cast<int>(state); skip > 0; --skip) {
    rest.remove_prefix(rest.find("\r\n") + 2);
  }
  return std::string(rest.substr(0, rest.find("\r\n")));
}

}  // namespace quillbrook
