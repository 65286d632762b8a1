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

// The master side is the board's end of the wire. The slave side is the port a programmer opens.
// Like a real USB serial device, the port is held by nobody while no programmer uses it: a program
// that skips ports other processes hold open (as a port list must) still lists it. The pair lives
// on through the master alone, and the slave keeps the raw settings made at set-up between users.
//
// A pseudo-terminal has no modem lines, so the reset pulse a programmer gives through DTR/RTS
// cannot be seen. What can be seen is the flush of the port's input that a programmer does when it
// opens the port: the master runs in packet mode, which reports it.
class PseudoTerminal {
 public:
  // What one look at the master side brought.
  struct Input {
    std::vector<std::uint8_t> bytes;
    // The port's unread input was thrown away: a programmer has just opened the port.
    bool port_flushed = false;
    // Nobody has the port open, and all it sent has been taken. Until opened_fd() becomes
    // readable, master_fd() reports a hang-up without end: poll opened_fd() alone meanwhile.
    bool port_closed = false;
  };

  // Opens a new pair, the slave side raw (no echo, no line editing, no character translation),
  // the master side non-blocking. The slave is closed again before this returns.
  static std::optional<PseudoTerminal> Open(std::error_code& error);

  PseudoTerminal(PseudoTerminal&& other) noexcept;
  PseudoTerminal& operator=(PseudoTerminal&&) = delete;
  PseudoTerminal(const PseudoTerminal&) = delete;
  PseudoTerminal& operator=(const PseudoTerminal&) = delete;
  ~PseudoTerminal();

  // The device a programmer opens, e.g. /dev/pts/3.
  const std::string& slave_path() const { return slave_path_; }
  // For poll(): readable when Receive has something to report while the port is open.
  int master_fd() const { return master_fd_; }
  // For poll(): readable once someone has opened the port since the last Receive.
  int opened_fd() const { return opened_fd_; }

  // Takes what is waiting on the master side; an empty Input when nothing is.
  std::error_code Receive(Input& input);
  // Sends bytes to the port. Like a UART it never waits for a reader: what the port's input
  // buffer cannot take is lost, and counted in `dropped`.
  std::error_code Send(std::span<const std::uint8_t> bytes, std::size_t& dropped);

 private:
  PseudoTerminal(int master_fd, int opened_fd, std::string slave_path);

  // Forgets the opens noticed so far.
  std::error_code DrainOpens();

  int master_fd_;
  int opened_fd_;
  std::string slave_path_;
};

}  // namespace quillbrook::board
