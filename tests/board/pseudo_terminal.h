// pseudo_terminal.h: a pseudo-terminal pair whose slave side stands in for a board's serial port.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

namespace quillbrook::board {

// The master side is the board's end of the wire. The slave side is the port a programmer opens;
// this object keeps it open too, so that the pair lives on while programmers come and go (with no
// slave open, the master would only report a hang-up).
//
// A pseudo-terminal has no modem lines, so the reset pulse a programmer gives through DTR/RTS
// cannot be seen. What can be seen is the flush of the port's input that a programmer does when it
// opens the port: the master runs in packet mode, which reports it.
class PseudoTerminal {
 public:
  // What one read of the master side brought.
  struct Input {
    std::vector<std::uint8_t> bytes;
    // The port's unread input was thrown away: a programmer has just opened the port.
    bool port_flushed = false;
  };

  // Opens a new pair, both sides raw (no echo, no line editing, no character translation), the
  // master side non-blocking.
  static std::optional<PseudoTerminal> Open(std::error_code& error);

  PseudoTerminal(PseudoTerminal&& other) noexcept;
  PseudoTerminal& operator=(PseudoTerminal&&) = delete;
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;
  ~PseudoTerminal();

  // The device a programmer opens, e.g. /dev/pts/3.
  const std::string& slave_path() const { return slave_path_; }
  // For poll(): readable when Receive has something to report.
  int master_fd() const { return master_fd_; }

  // Takes what is waiting on the master side; an empty Input when nothing is.
  std::error_code Receive(Input& input);
  // Sends bytes to the port. Like a UART it never waits for a reader: what the port's input
  // buffer cannot take is lost, and counted in `dropped`.
  std::error_code Send(std::span<const std::uint8_t> bytes, std::size_t& dropped);

 private:
  PseudoTerminal(int master_fd, int slave_fd, std::string slave_path);

  int master_fd_;
  int slave_fd_;
  std::string slave_path_;
};

}  // namespace quillbrook::board
