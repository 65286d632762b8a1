// unique_fd.cpp: a file descriptor that closes itself.
#include "app/unique_fd.h"

#include <unistd.h>

#include <cerrno>

namespace quillbrook {

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

bool UniqueFd::Close() {
  const int fd = Release();
  return fd >= 0 && (::close(fd) == 0 || errno == EINTR);
}

}  // namespace quillbrook
