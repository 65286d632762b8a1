// hex_path_reactions.cpp: what the program does when the user edits the HEX path or drops files.
#include "watch/hex_path_reactions.h"

#include <utility>

namespace quillbrook {

HexPathReactions::HexPathReactions(HexPathView& field, WritePath writePath,
                                   RestartHexWatch restartHexWatch,
                                   std::function<void()> expandWindow)
    : field_(field),
      writePath_(std::move(writePath)),
      restartHexWatch_(std::move(restartHexWatch)),
      expandWindow_(std::move(expandWindow)) {}

bool HexPathReactions::OnUserEdit(const std::string& text) {
  const bool written = writePath_(text);
  restartHexWatch_(text);
  // Setting the same text back without echo keeps the caret and raises nothing more.
  field_.SetTextWithoutEcho(text);
  return written;
}

void HexPathReactions::OnFilesDropped(const std::vector<std::string>& paths) {
  for (const std::string& path : paths) {
    expandWindow_();
    field_.SetTextWithEcho(path);
  }
}

}  // namespace quillbrook
