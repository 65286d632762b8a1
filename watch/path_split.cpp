// path_split.cpp: splits a path into the directory to watch and the name to look for in it.
#include "watch/path_split.h"

namespace quillbrook {

PathParts SplitPath(std::string_view path) {
  if (path.empty()) {
    return {};
  }
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) {
    return {"./", std::string(path)};
  }
  return {std::string(path.substr(0, slash + 1)), std::string(path.substr(slash + 1))};
}

}  // namespace quillbrook
