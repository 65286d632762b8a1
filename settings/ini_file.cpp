// ini_file.cpp: one profile (INI) file on disk, read anew at every call and changed in place.
#include "settings/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <utility>

#include "app/unique_fd.h"
#include "settings/ini_text.h"

namespace quillbrook {
namespace {

bool IsRegularFile(int fd) {
  struct stat info {};
  return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

// Reads the whole file from offset 0.
bool ReadAll(int fd, std::string& out) {
  out.clear();
  struct stat info {};
  if (::fstat(fd, &info) == 0 && info.st_size > 0) {
    out.reserve(static_cast<std::size_t>(info.st_size));
  }
  char buffer[65536];
  off_t offset = 0;
  for (;;) {
    const ssize_t got = ::pread(fd, buffer, sizeof buffer, offset);
    if (got < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (got == 0) {
      return true;
    }
    out.append(buffer, static_cast<std::size_t>(got));
    offset += got;
  }
}

// Writes all of data at offset 0. Normally one pwrite; it only loops when the system takes less.
bool WriteAll(int fd, std::string_view data) {
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t put =
        ::pwrite(fd, data.data() + done, data.size() - done, static_cast<off_t>(done));
    if (put < 0) {
      if (errno == EINTR) {
        continue;
      }
      return false;
    }
    if (put == 0) {
      return false;
    }
    done += static_cast<std::size_t>(put);
  }
  return true;
}

// Checks that the disk has room for a longer file before a byte of it is overwritten, so that a
// full disk fails the write here, with the old content intact, instead of halfway through it.
// Reserving the blocks (fallocate) would be exact, but the reservation is itself reported as a
// modification, and every reported modification of the settings file costs a reload.
bool HasRoomFor(int fd, std::size_t growth) {
  struct statvfs disk {};
  if (::fstatvfs(fd, &disk) != 0) {
    return true;  // nothing known: the write itself reports a full disk
  }
  const unsigned long long free = static_cast<unsigned long long>(disk.f_bavail) * disk.f_frsize;
  // One block more than the growth: the last block of the file may be full already.
  return free >= growth + disk.f_frsize;
}

// Opens the file for reading and writing, creating it, and its directories when they are missing:
// the fall-back location (~/.config/quillbrook/) may lack more than its last level on a fresh
// account, and a setting that can never be written would be lost without a word.
UniqueFd OpenForUpdate(const std::string& path) {
  constexpr int kFlags = O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK;
  int fd = ::open(path.c_str(), kFlags, 0666);
  if (fd < 0 && errno == ENOENT) {
    const std::filesystem::path directory = std::filesystem::path(path).parent_path();
    std::error_code error;
    if (!directory.empty()) {
      std::filesystem::create_directories(directory, error);
      if (!error) {
        fd = ::open(path.c_str(), kFlags, 0666);
      }
    }
  }
  return UniqueFd(fd);
}

}  // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::optional<std::string> IniFile::Load() const {
  // O_NONBLOCK keeps a FIFO at the path from blocking the open; it is then refused as irregular.
  UniqueFd fd(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd.valid() || !IsRegularFile(fd.get())) {
    return std::nullopt;
  }
  std::string content;
  if (!ReadAll(fd.get(), content)) {
    return std::nullopt;
  }
  return content;
}

std::string IniFile::ReadString(std::string_view section, std::string_view key) const {
  const std::optional<std::string> content = Load();
  if (!content) {
    return {};
  }
  return FindIniValue(*content, section, key).value_or(std::string());
}

int IniFile::ReadInteger(std::string_view section, std::string_view key, int defaultValue) const {
  const std::optional<std::string> content = Load();
  if (!content) {
    return defaultValue;
  }
  const std::optional<std::string> value = FindIniValue(*content, section, key);
  return value ? ParseIniInteger(*value) : defaultValue;
}

bool IniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  // Refuse before opening, so that a refused write does not even create the file.
  if (!IsWritableIniEntry(section, key, value)) {
    return false;
  }
  UniqueFd fd = OpenForUpdate(path_);
  if (!fd.valid() || !IsRegularFile(fd.get())) {
    return false;
  }
  // One descriptor for the read and the write, so both see the same file.
  std::string content;
  if (!ReadAll(fd.get(), content)) {
    return false;  // writing what could not be read would lose it
  }
  const std::optional<std::string> updated = SetIniValue(content, section, key, value);
  if (!updated) {
    return false;
  }
  if (updated->size() > content.size() && !HasRoomFor(fd.get(), updated->size() - content.size())) {
    return false;
  }
  if (!WriteAll(fd.get(), *updated)) {
    return false;
  }
  if (updated->size() < content.size() &&
      ::ftruncate(fd.get(), static_cast<off_t>(updated->size())) != 0) {
    return false;
  }
  return fd.Close();
}

bool IniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  char text[16];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  if (error != std::errc()) {
    return false;
  }
  return WriteString(section, key, std::string_view(text, static_cast<std::size_t>(end - text)));
}

std::vector<std::string> IniFile::ListSections() const {
  const std::optional<std::string> content = Load();
  if (!content) {
    return {};
  }
  return ListIniSections(*content);
}

bool IniFile::CreateIfMissing(std::string_view initialText) {
  const std::filesystem::path directory = std::filesystem::path(path_).parent_path();
  std::error_code error;
  if (!directory.empty()) {
    std::filesystem::create_directories(directory, error);
  }
  // O_EXCL: a file that appears meanwhile (another instance, the user's editor) is never
  // overwritten.
  UniqueFd fd(::open(path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (!fd.valid()) {
    struct stat info {};
    return errno == EEXIST && ::stat(path_.c_str(), &info) == 0 && S_ISREG(info.st_mode);
  }
  return WriteAll(fd.get(), initialText) && fd.Close();
}

}  // namespace quillbrook
