// pipe_posix.cpp: pipes that no started program inherits.
#include "flash/pipe_posix.h"

#include <fcntl.h>
#include <unistd.h>

namespace quillbrook {

namespace {

bool MoveAboveStandardStreams(UniqueFd& fd) {
  if (fd.get() > STDERR_FILENO) {
    return true;
  }
  const int moved = ::fcntl(fd.get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
  if (moved < 0) {
    return false;
  }
  fd.Reset(moved);
  return true;
}

}  // namespace

std::optional<Pipe> OpenPipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    return std::nullopt;
  }
  Pipe pipe{UniqueFd(ends[0]), UniqueFd(ends[1])};
  if (!MoveAboveStandardStreams(pipe.readEnd) || !MoveAboveStandardStreams(pipe.writeEnd)) {
    return std::nullopt;
  }
  return pipe;
}

}  // namespace quillbrook
