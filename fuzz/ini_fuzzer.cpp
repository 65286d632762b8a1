// ini_fuzzer.cpp: round trip of the INI text functions on arbitrary file contents and entries.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "settings/ini_text.h"

namespace {

using quillbrook::FindIniValue;
using quillbrook::IsWritableIniEntry;
using quillbrook::ListIniSections;
using quillbrook::ParseIniInteger;
using quillbrook::SetIniValue;

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "ini_fuzzer: %s\n", what);
    std::abort();
  }
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lower;
}

// What a string read of a freshly written value must give, worked out here on its own: blanks
// around it dropped, one pair of enclosing quotes dropped, then at most 2047 characters.
std::string ExpectedRead(std::string_view value) {
  while (!value.empty() && IsBlank(value.front())) {
    value.remove_prefix(1);
  }
  while (!value.empty() && IsBlank(value.back())) {
    value.remove_suffix(1);
  }
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, 2047));
}

// The lines of text with their own line endings (CRLF, LF or a lone CR).
std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t begin = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
        ++i;
      }
      lines.push_back(text.substr(begin, i + 1 - begin));
      begin = i + 1;
    }
  }
  if (begin < text.size()) {
    lines.push_back(text.substr(begin));
  }
  return lines;
}

// Whether a line of the new content is the old line; the old content's last line may have had no
// line ending, and may have gained one.
bool SameLine(std::string_view oldLine, std::string_view newLine, bool lastOldLine) {
  if (oldLine == newLine) {
    return true;
  }
  // SplitLines gives no empty lines, so back() is safe.
  const bool unterminated = oldLine.back() != '\n' && oldLine.back() != '\r';
  return lastOldLine && unterminated && newLine.substr(0, oldLine.size()) == oldLine &&
         (newLine.substr(oldLine.size()) == "\n" || newLine.substr(oldLine.size()) == "\r\n" ||
          newLine.substr(oldLine.size()) == "\r");
}

void CheckListing(const std::vector<std::string>& names) {
  std::unordered_set<std::string> seen;
  std::size_t used = 0;
  for (const std::string& name : names) {
    Require(!name.empty(), "an empty section name is listed");
    Require(seen.insert(Lower(name)).second, "a section is listed twice");
    used += name.size() + 1;
  }
  Require(used <= quillbrook::kMaxIniSectionNamesLength, "the listing overflows its room");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider provider(data, size);
  const std::string section = provider.ConsumeRandomLengthString(24);
  const std::string key = provider.ConsumeRandomLengthString(24);
  const std::string value = provider.ConsumeRandomLengthString(64);
  const std::string content = provider.ConsumeRemainingBytesAsString();

  const std::vector<std::string> before = ListIniSections(content);
  CheckListing(before);
  const std::optional<std::string> oldValue = FindIniValue(content, section, key);
  Require(!oldValue || oldValue->size() <= quillbrook::kMaxIniValueLength, "read too long");
  static_cast<void>(ParseIniInteger(oldValue.value_or(value)));

  const std::optional<std::string> after = SetIniValue(content, section, key, value);
  Require(after.has_value() == IsWritableIniEntry(section, key, value),
          "a write is refused or accepted against the entry check");
  if (!after) {
    return 0;
  }

  Require(FindIniValue(*after, section, key) == ExpectedRead(value),
          "the value does not read back");

  const std::vector<std::string> listed = ListIniSections(*after);
  CheckListing(listed);
  // A write adds at most one section, at the end.
  Require(listed.size() >= before.size() && listed.size() <= before.size() + 1 &&
              std::equal(before.begin(), before.end(), listed.begin()),
          "sections listed before are no longer listed in order");

  Require(SetIniValue(*after, section, key, value) == after,
          "writing twice changes the file twice");

  // Every line of the old content is still there, in order, byte for byte with its own line
  // ending, except the replaced key line; the last line may have gained a line ending.
  const std::vector<std::string_view> oldLines = SplitLines(content);
  const std::vector<std::string_view> newLines = SplitLines(*after);
  if (oldValue) {
    Require(newLines.size() == oldLines.size(), "replacing a value changed the number of lines");
    std::size_t changed = 0;
    for (std::size_t i = 0; i < oldLines.size(); ++i) {
      changed += oldLines[i] != newLines[i] ? 1 : 0;
    }
    Require(changed <= 1, "replacing a value changed more than one line");
  } else {
    const std::size_t addedLines = newLines.size() - oldLines.size();
    Require(newLines.size() > oldLines.size() && addedLines <= 2,
            "adding a key added other than one or two lines");
    std::size_t next = 0;
    for (std::size_t i = 0; i < oldLines.size(); ++i) {
      const bool last = i + 1 == oldLines.size();
      while (next < newLines.size() && !SameLine(oldLines[i], newLines[next], last)) {
        ++next;
      }
      Require(next < newLines.size(), "adding a key lost or changed a line");
      ++next;
    }
  }
  return 0;
}
