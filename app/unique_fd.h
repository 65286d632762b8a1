// unique_fd.h: a file descriptor that closes itself.
#pragma once

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
  // Closes now and tells whether the close succeeded: for a descriptor that was written, a failing
  // close can be the first report of a failed write (on network file systems).
  bool Close();

 private:
  int fd_ = -1;
};

}  // namespace quillbrook
