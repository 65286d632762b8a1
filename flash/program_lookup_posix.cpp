// program_lookup_posix.cpp: program lookup on POSIX, over ':'-separated PATH entries.
#include "flash/program_lookup.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillbrook {

namespace {

bool IsAbsolute(std::string_view path) {
  return !path.empty() && path.front() == '/';
}

// A NUL would cut the path short where the system sees it, and name another file.
bool HoldsNul(std::string_view text) {
  return text.find('\0') != std::string_view::npos;
}

bool IsExecutableFile(const std::string& path) {
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
         ::faccessat(AT_FDCWD, path.c_str(), X_OK, AT_EACCESS) == 0;
}

std::optional<std::string> FindIn(std::string_view directory, std::string_view name) {
  // A relative directory would make the result depend on the current directory.
  if (!IsAbsolute(directory) || HoldsNul(directory)) {
    return std::nullopt;
  }
  std::string candidate(directory);
  if (candidate.back() != '/') {
    candidate += '/';
  }
  candidate += name;
  if (IsExecutableFile(candidate)) {
    return candidate;
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> FindProgram(std::string_view name, std::string_view programDirectory,
                                       std::string_view searchPath) {
  if (name.empty() || HoldsNul(name)) {
    return std::nullopt;
  }
  if (name.find('/') != std::string_view::npos) {
    if (IsAbsolute(name) && IsExecutableFile(std::string(name))) {
      return std::string(name);
    }
    return std::nullopt;
  }
  if (std::optional<std::string> found = FindIn(programDirectory, name)) {
    return found;
  }
  std::size_t start = 0;
  while (true) {
    const std::size_t end = searchPath.find(':', start);
    const std::string_view entry = searchPath.substr(
        start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (std::optional<std::string> found = FindIn(entry, name)) {
      return found;
    }
    if (end == std::string_view::npos) {
      return std::nullopt;
    }
    start = end + 1;
  }
}

std::optional<std::string> FindTerminalEmulator(std::string_view preferred,
                                                std::string_view programDirectory,
                                                std::string_view searchPath) {
  for (const std::string_view name :
       {preferred, std::string_view("x-terminal-emulator"), std::string_view("xterm")}) {
    if (std::optional<std::string> found = FindProgram(name, programDirectory, searchPath)) {
      return found;
    }
  }
  return std::nullopt;
}

}  // namespace quillbrook
