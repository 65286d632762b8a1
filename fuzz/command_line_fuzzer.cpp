// command_line_fuzzer.cpp: template expansion and argument splitting against independent oracles.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "flash/command_line.h"
#include "flash/param_template.h"

namespace {

void Require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "command_line_fuzzer: %s\n", what);
    std::abort();
  }
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// One left-to-right scan of the template: "%%" is a percent sign, "%1"/"%2" not followed by a digit
// is the value, anything else stands as written. For a port without '%' this is what the marker
// passes give: only text inserted for %1 is ever scanned a second time.
std::string ExpandByTokens(std::string_view pattern, std::string_view port, std::string_view hex) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size();) {
    if (pattern[i] == '%' && i + 1 < pattern.size()) {
      const char next = pattern[i + 1];
      const bool followedByDigit = i + 2 < pattern.size() && IsDigit(pattern[i + 2]);
      if (next == '%') {
        out += '%';
        i += 2;
        continue;
      }
      if ((next == '1' || next == '2') && !followedByDigit) {
        out += next == '1' ? port : hex;
        i += 2;
        continue;
      }
    }
    out += pattern[i++];
  }
  return out;
}

// The quoting that the Windows C runtime's rules undo exactly: quotes around every word, each run
// of backslashes before a quote (or the closing quote) doubled, each quote escaped.
std::string QuoteForSplitting(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) {
    if (!line.empty()) {
      line += ' ';
    }
    line += '"';
    std::size_t backslashes = 0;
    for (const char c : word) {
      if (c == '\\') {
        ++backslashes;
        continue;
      }
      if (c == '"') {
        line.append(backslashes * 2 + 1, '\\');
      } else {
        line.append(backslashes, '\\');
      }
      backslashes = 0;
      line += c;
    }
    line.append(backslashes * 2, '\\');
    line += '"';
  }
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const std::string port = input.ConsumeRandomLengthString(64);
  const std::string hex = input.ConsumeRandomLengthString(64);
  std::vector<std::string> words;
  while (input.remaining_bytes() > 0 && words.size() < 8) {
    words.push_back(input.ConsumeRandomLengthString(64));
  }
  const std::string pattern = words.empty() ? std::string() : words.front();

  const std::string expanded = quillbrook::ExpandParamTemplate(pattern, port, hex);
  if (port.find('%') == std::string::npos) {
    Require(expanded == ExpandByTokens(pattern, port, hex),
            "expansion differs from the token scan");
  }
  if (pattern.find('%') == std::string::npos) {
    Require(expanded == pattern, "a template without '%' must stand as written");
  }

  // Words without NUL: a quoted line splits back into exactly the words that were quoted.
  std::vector<std::string> clean;
  for (const std::string& word : words) {
    if (word.find('\0') == std::string::npos) {
      clean.push_back(word);
    }
  }
  Require(quillbrook::SplitCommandLine(QuoteForSplitting(clean)) == clean,
          "splitting does not undo the quoting");
  return 0;
}
