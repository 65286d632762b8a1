// file_fixtures.h: files and directories for the flash tests: the current directory for a scope,
// and files written with given permissions.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "tests/support/temp_dir.h"

namespace quillbrook::testing {

// Makes a directory the current one for the length of a scope.
class CurrentDirectory {
 public:
  explicit CurrentDirectory(const std::filesystem::path& directory) {
    std::filesystem::current_path(directory);
  }
  CurrentDirectory(const CurrentDirectory&) = delete;
  CurrentDirectory& operator=(const CurrentDirectory&) = delete;
  ~CurrentDirectory() {
    std::error_code ignored;
    std::filesystem::current_path(previous_, ignored);
  }

 private:
  const std::filesystem::path previous_ = std::filesystem::current_path();
};

// Writes `content` to `path` and gives it the permissions `mode`.
inline void WriteFile(const std::filesystem::path& path, std::string_view content,
                      std::filesystem::perms mode) {
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    if (!out.flush()) {
      throw std::runtime_error("cannot write " + path.string());
    }
  }
  std::filesystem::permissions(path, mode);
}

}  // namespace quillbrook::testing
