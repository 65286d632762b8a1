// path_split.h: splits a path into the directory to watch and the name to look for in it.
#pragma once

#include <string>
#include <string_view>

namespace quillbrook {

struct PathParts {
  std::string directory;  // ends in '/', or empty
  std::string name;       // never contains '/'

  bool operator==(const PathParts&) const = default;
};

// The directory part is the text up to and including the last '/', the name part the text after
// it (empty when the text ends in '/'). A text without '/' names a file in the current directory,
// which is where the file system resolves it for anyone who opens it, so its directory part is
// "./" and the full path of a file reported there ("./" + name) splits back into the same name.
// An empty text gives two empty parts; an empty directory part means there is nothing to watch.
//
// Only '/' separates: on Linux a backslash is an ordinary character of a file name.
PathParts SplitPath(std::string_view path);

}  // namespace quillbrook
