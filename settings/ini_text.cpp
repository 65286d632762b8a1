// ini_text.cpp: the profile-file format on a file's bytes: find, set and list sections.
#include "settings/ini_text.h"

#include <climits>
#include <unordered_set>
#include <utility>

#include "app/ascii_case.h"

namespace quillbrook {
namespace {

constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
  std::size_t first = 0;
  while (first < text.size() && IsBlank(text[first])) {
    ++first;
  }
  std::size_t last = text.size();
  while (last > first && IsBlank(text[last - 1])) {
    --last;
  }
  return text.substr(first, last - first);
}

enum class LineKind { kOther, kComment, kHeader, kKey };

struct Line {
  std::size_t begin = 0;
  std::size_t textEnd = 0;  // where the line's terminator starts
  std::size_t end = 0;      // just after the terminator
  LineKind kind = LineKind::kOther;
  std::string_view name;       // section name of a header, key of a key line
  std::size_t valueBegin = 0;  // key lines: just after the '='

  bool terminated() const { return textEnd != end; }
};

// Walks the content line by line, classifying each line on its own.
class LineReader {
 public:
  explicit LineReader(std::string_view content) : content_(content) {}

  bool Next(Line& line) {
    if (pos_ >= content_.size()) {
      return false;
    }
    line = Line{};
    line.begin = pos_;
    const std::size_t breakAt = content_.find_first_of("\r\n", pos_);
    if (breakAt == std::string_view::npos) {
      line.textEnd = line.end = content_.size();
    } else {
      line.textEnd = breakAt;
      const bool crlf = content_[breakAt] == '\r' && breakAt + 1 < content_.size() &&
                        content_[breakAt + 1] == '\n';
      line.end = breakAt + (crlf ? 2 : 1);
    }
    pos_ = line.end;
    Classify(line);
    return true;
  }

 private:
  void Classify(Line& line) const {
    const std::string_view text = content_.substr(line.begin, line.textEnd - line.begin);
    std::size_t first = 0;
    while (first < text.size() && IsBlank(text[first])) {
      ++first;
    }
    if (first == text.size()) {
      return;
    }
    if (text[first] == '[') {
      const std::size_t close = text.find(']', first + 1);
      if (close != std::string_view::npos) {
        line.kind = LineKind::kHeader;
        line.name = TrimBlanks(text.substr(first + 1, close - first - 1));
        return;
      }
    }
    if (text[first] == ';' || text[first] == '#') {
      line.kind = LineKind::kComment;
      return;
    }
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
      line.kind = LineKind::kKey;
      line.name = TrimBlanks(text.substr(0, equals));
      line.valueBegin = line.begin + equals + 1;
    }
  }

  std::string_view content_;
  std::size_t pos_ = 0;
};

// Where (section, key) stands, or where a key line for it would go.
struct Location {
  bool sectionFound = false;
  Line lastOfSection;  // the header, or the section's last key line before the key
  bool keyFound = false;
  Line keyLine;
};

Location Locate(std::string_view content, std::string_view section, std::string_view key) {
  Location location;
  LineReader reader(content);
  Line line;
  while (reader.Next(line)) {
    if (line.kind == LineKind::kHeader) {
      if (location.sectionFound) {
        break;  // the first occurrence of the section ends here; later duplicates do not count
      }
      if (EqualsIgnoringCase(line.name, section)) {
        location.sectionFound = true;
        location.lastOfSection = line;
      }
      continue;
    }
    if (!location.sectionFound || line.kind != LineKind::kKey) {
      continue;
    }
    if (EqualsIgnoringCase(line.name, key)) {
      location.keyFound = true;
      location.keyLine = line;
      break;
    }
    location.lastOfSection = line;
  }
  return location;
}

// A file keeps the line ending it starts with; a file without one gets LF.
std::string_view DetectLineEnding(std::string_view content) {
  const std::size_t breakAt = content.find_first_of("\r\n");
  if (breakAt == std::string_view::npos || content[breakAt] == '\n') {
    return "\n";
  }
  if (breakAt + 1 < content.size() && content[breakAt + 1] == '\n') {
    return "\r\n";
  }
  return "\r";
}

bool HoldsLineBreakOrNul(std::string_view text) {
  return text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

std::string ReadValueRules(std::string_view raw) {
  std::string_view value = TrimBlanks(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value.substr(0, kMaxIniValueLength));
}

}  // namespace

std::optional<std::string> FindIniValue(std::string_view content, std::string_view section,
                                        std::string_view key) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (section.empty() || key.empty()) {
    return std::nullopt;
  }
  const Location location = Locate(content, section, key);
  if (!location.keyFound) {
    return std::nullopt;
  }
  const Line& line = location.keyLine;
  return ReadValueRules(content.substr(line.valueBegin, line.textEnd - line.valueBegin));
}

int ParseIniInteger(std::string_view value) {
  std::size_t i = 0;
  const bool negative = i < value.size() && value[i] == '-';
  if (negative) {
    ++i;
  }
  // Accumulate the magnitude in a wider type and stop growing it once it is past int's range,
  // so that any number of digits saturates instead of overflowing.
  constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
  long long magnitude = 0;
  for (; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + (value[i] - '0');
    if (magnitude > kLimit) {
      magnitude = kLimit;
    }
  }
  if (negative) {
    return magnitude >= kLimit ? INT_MIN : static_cast<int>(-magnitude);
  }
  return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

bool IsWritableIniEntry(std::string_view section, std::string_view key, std::string_view value) {
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  if (section.empty() || key.empty()) {
    return false;
  }
  if (HoldsLineBreakOrNul(section) || section.find(']') != std::string_view::npos) {
    return false;
  }
  // A key starting like a header or a comment would be read back as one; an '=' would move the
  // border between key and value.
  if (HoldsLineBreakOrNul(key) || key.find('=') != std::string_view::npos || key.front() == '[' ||
      key.front() == ';' || key.front() == '#') {
    return false;
  }
  return !HoldsLineBreakOrNul(value);
}

std::optional<std::string> SetIniValue(std::string_view content, std::string_view section,
                                       std::string_view key, std::string_view value) {
  if (!IsWritableIniEntry(section, key, value)) {
    return std::nullopt;
  }
  section = TrimBlanks(section);
  key = TrimBlanks(key);
  const Location location = Locate(content, section, key);
  std::string result;

  if (location.keyFound) {
    // Everything up to the '=' stays, so the key keeps its spelling and the line its ending.
    const Line& line = location.keyLine;
    result.reserve(content.size() + value.size());
    result.append(content.substr(0, line.valueBegin));
    result.append(value);
    result.append(content.substr(line.textEnd));
    return result;
  }

  const std::string_view lineEnding = DetectLineEnding(content);
  if (location.sectionFound) {
    const Line& after = location.lastOfSection;
    const std::size_t at = after.end;
    // A lone CR right before an LF would join with it into one CRLF and swallow the next line's
    // (empty) line: end the new line with CRLF there instead.
    const bool joinsNext = lineEnding == "\r" && at < content.size() && content[at] == '\n';
    result.reserve(content.size() + key.size() + value.size() + 5);
    result.append(content.substr(0, at));
    if (!after.terminated()) {
      result.append(lineEnding);
    }
    result.append(key).append("=").append(value);
    result.append(joinsNext ? std::string_view("\r\n") : lineEnding);
    result.append(content.substr(at));
    return result;
  }

  result.reserve(content.size() + section.size() + key.size() + value.size() + 8);
  result.append(content);
  if (!content.empty() && content.back() != '\n' && content.back() != '\r') {
    result.append(lineEnding);
  }
  result.append("[").append(section).append("]").append(lineEnding);
  result.append(key).append("=").append(value).append(lineEnding);
  return result;
}

std::vector<std::string> ListIniSections(std::string_view content) {
  std::vector<std::string> names;
  std::unordered_set<std::string> seen;  // lower-case spellings already listed
  std::size_t used = 0;
  LineReader reader(content);
  Line line;
  while (reader.Next(line)) {
    if (line.kind != LineKind::kHeader || line.name.empty()) {
      continue;
    }
    std::string lower(line.name);
    for (char& c : lower) {
      c = LowerAscii(c);
    }
    if (seen.count(lower) != 0) {
      continue;
    }
    if (used + line.name.size() + 1 > kMaxIniSectionNamesLength) {
      break;  // no room left: this section and all after it stay unlisted
    }
    used += line.name.size() + 1;
    seen.insert(std::move(lower));
    names.emplace_back(line.name);
  }
  return names;
}

}  // namespace quillbrook
