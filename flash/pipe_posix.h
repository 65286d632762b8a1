// pipe_posix.h: pipes that no started program inherits.
#pragma once

#include <optional>

#include "app/unique_fd.h"

namespace quillbrook {

struct Pipe {
  UniqueFd readEnd;
  UniqueFd writeEnd;
};

// A pipe with both ends close-on-exec and numbered above 2, so that handing ends to a child as its
// standard streams can never overwrite another end (which could happen if our own standard
// streams were closed). Nullopt when the system cannot create it.
std::optional<Pipe> OpenPipe();

}  // namespace quillbrook
