// fake_record.h: how the fake avrdude and the fake terminal record the way they were started.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace quillbrook::testing {

// The environment variable naming the directory the fakes record into.
inline constexpr const char* kRecordDirVariable = "FAKE_AVRDUDE_RECORD_DIR";

// Writes `content` to `path` so that it appears whole: written aside, then renamed.
inline bool WriteWhole(const std::string& path, const std::string& content) {
  {
    std::ofstream out(path + ".part", std::ios::binary | std::ios::trunc);
    out << content;
    if (!out.flush()) {
      return false;
    }
  }
  return std::rename((path + ".part").c_str(), path.c_str()) == 0;
}

// The descriptors open in this process, in ascending order, separated by spaces.
inline std::string OpenDescriptorList() {
  std::string list;
  for (int fd = 0; fd < 1024; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1) {
      list += (list.empty() ? "" : " ") + std::to_string(fd);
    }
  }
  return list;
}

// Records this process: "<role>-<pid>.fds" gets its open descriptors, then "<role>-<pid>.argv"
// gets argv, each argument followed by a NUL. A test that sees the .argv file finds both whole.
// Does nothing when the variable is unset; false when a record could not be written.
inline bool RecordStart(const std::string& role, int argc, char** argv) {
  const char* directory = std::getenv(kRecordDirVariable);
  if (directory == nullptr) {
    return true;
  }
  const std::string base = std::string(directory) + "/" + role + "-" + std::to_string(::getpid());
  std::string arguments;
  for (int i = 0; i < argc; ++i) {
    arguments += argv[i];
    arguments += '\0';
  }
  return WriteWhole(base + ".fds", OpenDescriptorList()) && WriteWhole(base + ".argv", arguments);
}

}  // namespace quillbrook::testing
