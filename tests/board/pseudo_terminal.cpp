// pseudo_terminal.cpp: a pseudo-terminal pair whose slave side stands in for a board's serial port.
#include "tests/board/pseudo_terminal.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <utility>

namespace quillbrook::board {

namespace {

std::error_code LastError() {
  return {errno, std::generic_category()};
}

void CloseIfOpen(int fd) {
  if (fd >= 0) {
    ::close(fd);
  }
}

std::error_code MakeRaw(int fd) {
  termios settings{};
  if (::tcgetattr(fd, &settings) != 0) {
    return LastError();
  }
  ::cfmakeraw(&settings);
  settings.c_cflag |= CLOCAL | CREAD;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 0;
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
    return LastError();
  }
  return {};
}

}  // namespace

std::optional<PseudoTerminal> PseudoTerminal::Open(std::error_code& error) {
  error.clear();
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0) {
    error = LastError();
    return std::nullopt;
  }
  std::array<char, 128> name{};
  if (::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    error = LastError();
  } else if (const int failure = ::ptsname_r(master, name.data(), name.size()); failure != 0) {
    error = {failure, std::generic_category()};
  }
  int slave = error ? -1 : ::open(name.data(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (!error && slave < 0) {
    error = LastError();
  }
  // The master has no terminal settings of its own (termios calls on it reach the slave), so a raw
  // slave is a raw pair; the settings stay with the slave while the master is open, also when no
  // one has the slave open. Packet mode comes last, so that setting up reports no flush of its own.
  int packet_mode = 1;
  if (!error) {
    error = MakeRaw(slave);
  }
  if (!error && (::ioctl(master, TIOCPKT, &packet_mode) != 0 ||
                 ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK) != 0)) {
    error = LastError();
  }
  // Opens are watched before the slave is let go, so that none can come unnoticed.
  const int opened = error ? -1 : ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (!error && (opened < 0 || ::inotify_add_watch(opened, name.data(), IN_OPEN) < 0)) {
    error = LastError();
  }
  if (!error && ::close(std::exchange(slave, -1)) != 0) {
    error = LastError();
  }
  if (error) {
    CloseIfOpen(opened);
    CloseIfOpen(slave);
    CloseIfOpen(master);
    return std::nullopt;
  }
  return PseudoTerminal(master, opened, name.data());
}

PseudoTerminal::PseudoTerminal(int master_fd, int opened_fd, std::string slave_path)
    : master_fd_(master_fd), opened_fd_(opened_fd), slave_path_(std::move(slave_path)) {}

PseudoTerminal::PseudoTerminal(PseudoTerminal&& other) noexcept
    : master_fd_(std::exchange(other.master_fd_, -1)),
      opened_fd_(std::exchange(other.opened_fd_, -1)),
      slave_path_(std::move(other.slave_path_)) {}

PseudoTerminal::~PseudoTerminal() {
  CloseIfOpen(opened_fd_);
  CloseIfOpen(master_fd_);
}

std::error_code PseudoTerminal::Receive(Input& input) {
  input = {};
  // Opens are forgotten before the master is read: an open after this point clears the hang-up the
  // read below might report, and leaves opened_fd() readable for the next look.
  if (std::error_code error = DrainOpens()) {
    return error;
  }
  // In packet mode every read starts with a status byte: 0 (TIOCPKT_DATA) before data, or on its
  // own a set of events that happened to the slave side.
  std::array<std::uint8_t, 4096> buffer{};
  const ssize_t count = ::read(master_fd_, buffer.data(), buffer.size());
  if (count < 0 && errno == EIO) {
    // Nobody has the port open. The kernel tells so only once all its last user sent is read.
    input.port_closed = true;
    return {};
  }
  if (count < 0) {
    return errno == EAGAIN || errno == EINTR ? std::error_code{} : LastError();
  }
  if (count == 0) {
    return {};
  }
  if (buffer[0] == TIOCPKT_DATA) {
    input.bytes.assign(buffer.begin() + 1, buffer.begin() + count);
  } else {
    input.port_flushed = (buffer[0] & TIOCPKT_FLUSHREAD) != 0;
  }
  return {};
}

std::error_code PseudoTerminal::DrainOpens() {
  // Only whether someone opened the port counts, not who or how often.
  alignas(inotify_event) std::array<char, 1024> events;
  for (;;) {
    const ssize_t count = ::read(opened_fd_, events.data(), events.size());
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0) {
      return errno == EAGAIN ? std::error_code{} : LastError();
    }
    if (count == 0) {
      return {};
    }
  }
}

std::error_code PseudoTerminal::Send(std::span<const std::uint8_t> bytes, std::size_t& dropped) {
  dropped = 0;
  while (!bytes.empty()) {
    const ssize_t count = ::write(master_fd_, bytes.data(), bytes.size());
    if (count < 0 && errno == EINTR) {
      continue;
    }
    if (count < 0 && errno == EAGAIN) {
      dropped = bytes.size();
      return {};
    }
    if (count < 0) {
      return LastError();
    }
    bytes = bytes.subspan(static_cast<std::size_t>(count));
  }
  return {};
}

}  // namespace quillbrook::board
