// fd_posix.cpp: owned file descriptors and close-on-exec pipes.
#include "flash/fd_posix.h"

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

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    Reset(other.Release());
  }
  return *this;
}

int UniqueFd::Release() {
  const int fd = fd_;
  fd_ = -1;
  return fd;
}

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) {
    // Linux releases the descriptor even when close reports an error, so there is nothing to retry.
    ::close(fd_);
  }
  fd_ = fd;
}

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
