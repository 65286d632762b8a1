// temp_dir.h: a fresh temporary directory per test, removed with everything in it afterwards.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace quillbrook::testing {

class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "quillbrook-test-XXXXXX");
    if (::mkdtemp(pattern.data()) == nullptr) {
      throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  // The directory, without a trailing '/'.
  const std::filesystem::path& path() const { return path_; }
  // The full path of `name` in the directory, as a watcher of the directory reports it.
  std::string File(std::string_view name) const { return path_.string() + "/" + std::string(name); }
  // Creates directory `name` in here and gives its full path.
  std::string MakeDirectory(std::string_view name) const {
    std::filesystem::create_directories(path_ / name);
    return File(name);
  }

 private:
  std::filesystem::path path_;
};

// The file's bytes, or nullopt when it cannot be opened.
inline std::optional<std::string> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::nullopt;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return std::move(bytes).str();
}

inline bool WriteBytes(const std::string& path, std::string_view content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  return static_cast<bool>(out.flush());
}

}  // namespace quillbrook::testing
