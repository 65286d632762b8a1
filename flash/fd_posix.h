// fd_posix.h: file descriptors that close themselves, and pipes that no started program inherits.
#pragma once

#include <optional>

namespace quillbrook {

// Owns one file descriptor and closes it when it goes out of scope or is replaced.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Gives the descriptor up without closing it.
  int Release();
  // Closes the held descriptor, then holds `fd`.
  void Reset(int fd = -1);

 private:
  int fd_ = -1;
};

struct Pipe {
  UniqueFd readEnd;
  UniqueFd writeEnd;
};

// A pipe with both ends close-on-exec and numbered above 2, so that handing ends to a child as its
// standard streams can never overwrite another end (which could happen if our own standard
// streams were closed). Nullopt when the system cannot create it.
std::optional<Pipe> OpenPipe();

}  // namespace quillbrook
