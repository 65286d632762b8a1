// command_line.h: reads the command line, whose only meaning is the request for the information
// box.
#pragma once

namespace quillbrook {

// True when the first argument, after removal of one pair of enclosing double quotes, is exactly
// "/ih". Every other argument, later arguments and an empty command line mean a normal start.
bool AsksForInfoBox(int argc, const char* const* argv);

}  // namespace quillbrook
