// command_line.cpp: splitting and stripping of avrdude's command line.
#include "flash/command_line.h"

namespace quillbrook {

namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

}  // namespace

std::vector<std::string> SplitCommandLine(std::string_view commandLine) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;  // a word has begun, possibly empty so far ("" is a word)
  bool quoted = false;
  std::size_t i = 0;
  while (i < commandLine.size()) {
    const char c = commandLine[i];
    if (!quoted && IsBlank(c)) {
      if (inWord) {
        words.push_back(std::move(word));
        word.clear();
        inWord = false;
      }
      ++i;
      continue;
    }
    inWord = true;
    if (c == '\\') {
      const std::size_t runEnd = commandLine.find_first_not_of('\\', i);
      const std::size_t backslashes =
          (runEnd == std::string_view::npos ? commandLine.size() : runEnd) - i;
      if (runEnd != std::string_view::npos && commandLine[runEnd] == '"') {
        word.append(backslashes / 2, '\\');
        if (backslashes % 2 == 1) {
          word.push_back('"');
        } else {
          quoted = !quoted;
        }
        i = runEnd + 1;
      } else {
        word.append(backslashes, '\\');
        i += backslashes;
      }
    } else if (c == '"') {
      quoted = !quoted;
      ++i;
    } else {
      word.push_back(c);
      ++i;
    }
  }
  if (inWord) {
    words.push_back(std::move(word));
  }
  return words;
}

std::string_view StripCommandLine(std::string_view line) {
  const auto isStripped = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!line.empty() && isStripped(line.front())) {
    line.remove_prefix(1);
  }
  while (!line.empty() && isStripped(line.back())) {
    line.remove_suffix(1);
  }
  return line;
}

std::vector<std::string> AvrdudeArguments(std::string_view flashArgs, CommandLineForm form) {
  std::string line(kAvrdudeProgramName);
  line += ' ';
  line += flashArgs;
  std::string_view arguments = line;
  if (form == CommandLineForm::kStripped) {
    arguments = StripCommandLine(arguments);
  }
  // The program name has no blank or control character of its own, so stripping never reaches
  // into it; what follows it is what the program receives.
  arguments.remove_prefix(kAvrdudeProgramName.size());
  return SplitCommandLine(arguments);
}

}  // namespace quillbrook
