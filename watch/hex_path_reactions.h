// hex_path_reactions.h: what the program does when the user edits the HEX path or drops files.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "watch/hex_path_view.h"

namespace quillbrook {

// Only the user's changes reach here, and only they are written back; a path loaded by the program
// is set without echo and never comes this way.
class HexPathReactions {
 public:
  using WritePath = std::function<bool(const std::string& path)>;
  using RestartHexWatch = std::function<void(const std::string& path)>;

  HexPathReactions(HexPathView& field, WritePath writePath, RestartHexWatch restartHexWatch,
                   std::function<void()> expandWindow);

  // Every change of the field's text by the user (typing, pasting, deleting) and every path set
  // with echo: the whole text is written unchanged, also when empty, and watched. False when it
  // could not be written; it is watched and shown all the same.
  bool OnUserEdit(const std::string& text);

  // Each dropped item in order, files and folders alike, paths whole: the window is expanded before
  // the path is shown, and the last one stays in the field, the settings file and the watch.
  void OnFilesDropped(const std::vector<std::string>& paths);

 private:
  HexPathView& field_;
  WritePath writePath_;
  RestartHexWatch restartHexWatch_;
  std::function<void()> expandWindow_;
};

}  // namespace quillbrook
