// ini_file.h: one profile (INI) file on disk, read anew at every call and changed in place.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

// Reads and writes one key at a time in the file at a path, with the format of ini_text.h.
// Nothing is cached: every call opens the file, so a change made by anyone else is seen by the next
// call. A missing or unreadable file reads as empty.
//
// A write changes the file in place (same inode, one write at offset 0, then a shorter file is
// truncated) instead of writing a new file and renaming it over the old one: a directory watch
// reports the in-place write as a modification of the file, a rename it would not report as one.
// It also keeps the file's owner, mode and links as they were.
class IniFile {
 public:
  explicit IniFile(std::string path);

  const std::string& path() const { return path_; }

  // The value of (section, key) by the read rules; "" when the file, section or key is missing.
  std::string ReadString(std::string_view section, std::string_view key) const;
  // The number at the start of the value; defaultValue when the file, section or key is missing.
  int ReadInteger(std::string_view section, std::string_view key, int defaultValue) const;

  // Sets (section, key) to value. Creates the file (mode 0666 less the umask) when it is missing,
  // and its directory when only that last level is missing. False when the entry is refused (see
  // IsWritableIniEntry) or the file cannot be read or written; the file is then left as it was,
  // except after a failure in the middle of the write itself.
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  // Writes the value as decimal text, with a '-' when negative.
  bool WriteInteger(std::string_view section, std::string_view key, int value);

  // The section names in file order (see ListIniSections); empty when the file is missing.
  std::vector<std::string> ListSections() const;

  // Creates the file with this text when nothing exists at its path; an existing file is left as it
  // is. True when a regular file is there afterwards.
  bool CreateIfMissing(std::string_view initialText);

 private:
  // The whole file, or nullopt when it is missing, unreadable or not a regular file.
  std::optional<std::string> Load() const;

  std::string path_;
};

}  // namespace quillbrook
