// temp_dir.h: a fresh directory for one flash test, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillbrook::testing {

class FlashTempDir {
 public:
  FlashTempDir() {
    std::string pattern = std::filesystem::temp_directory_path() / "quillbrook-flash-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
  }
  FlashTempDir(const FlashTempDir&) = delete;
  FlashTempDir& operator=(const FlashTempDir&) = delete;
  ~FlashTempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::filesystem::path& path() const { return path_; }

  // Creates directory `name` in here and gives its full path.
  std::string MakeDirectory(std::string_view name) const {
    const std::filesystem::path directory = path_ / name;
    std::filesystem::create_directories(directory);
    return directory;
  }

 private:
  std::filesystem::path path_;
};

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
