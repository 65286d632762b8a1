// command_line.h: avrdude's command line, built as one string and split into program arguments.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillbrook {

// The bare name avrdude is started by; the lookup turns it into a full path.
inline constexpr std::string_view kAvrdudeProgramName = "avrdude";

// Splits a command line into words by the rules of the Windows C runtime, so that a template
// written for Windows means the same here and nothing in it is ever seen by a shell:
// - spaces and tabs outside double quotes separate words;
// - a double quote switches quoting on or off and is removed; "" makes an empty word;
// - backslashes are literal except before a double quote: 2n backslashes and a quote give n
//   backslashes and switch quoting, 2n+1 backslashes and a quote give n backslashes and a quote.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// The line without its leading and trailing characters of code 0 to 32.
std::string_view StripCommandLine(std::string_view line);

enum class CommandLineForm {
  kAsBuilt,   // the run without log takes the line as it is
  kStripped,  // the run with log strips it (StripCommandLine) first
};

// The arguments that follow the program name on the command line "avrdude <flashArgs>".
std::vector<std::string> AvrdudeArguments(std::string_view flashArgs, CommandLineForm form);

}  // namespace quillbrook
