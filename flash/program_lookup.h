// program_lookup.h: finds avrdude and the terminal emulator as full paths before they are started.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quillbrook {

// The full path of program `name`: first in `programDirectory` (the directory of our own
// program), then in each directory of `searchPath` (a PATH value) in turn. Never the current
// directory: empty and relative entries are skipped, as is a relative program directory. A hit is
// a regular file (symbolic links followed) that we may execute. A name holding a '/' is taken as a
// path: an absolute one is checked as it is, a relative one is never found. Nullopt when nothing
// fits.
std::optional<std::string> FindProgram(std::string_view name, std::string_view programDirectory,
                                       std::string_view searchPath);

// The terminal emulator that shows avrdude's log: `preferred` (the user's $TERMINAL) when it is
// set and found, else x-terminal-emulator, else xterm, each looked up by FindProgram.
std::optional<std::string> FindTerminalEmulator(std::string_view preferred,
                                                std::string_view programDirectory,
                                                std::string_view searchPath);

}  // namespace quillbrook
