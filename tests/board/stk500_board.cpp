// stk500_board.cpp: a simulated Arduino Uno for end-to-end tests: an STK500v1 bootloader for an
// ATmega328P served on a pseudo-terminal, its flash memory saved to a file after every session.
//
// Usage: stk500_board PORT_LINK FLASH_FILE
//
// PORT_LINK becomes a symbolic link to the pseudo-terminal, a stable name to give avrdude as -P.
// As with a real board on USB, no process holds the port while no programmer uses it, so a port
// list that skips ports in use offers it.
// FLASH_FILE receives the whole flash image (32768 bytes) at start and each time a programmer
// leaves programming mode, before the programmer hears the answer, so that the file is current
// once avrdude has ended. The file is replaced whole: a reader never sees half of it.
//
// Prints "ready DEVICE" on standard output once it serves, "reset" whenever a programmer opening
// the port resets the board, and "programmed N" after the Nth session. Serves any number of
// sessions; SIGTERM or SIGINT ends it with status 0 and removes the link. Errors go to standard
// error and end it with status 1.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <optional>
#include <span>
#include <string>
#include <system_error>
#include <vector>

#include "tests/board/atmega328p.h"
#include "tests/board/pseudo_terminal.h"
#include "tests/board/stk500_bootloader.h"

namespace quillbrook::board {
namespace {

namespace fs = std::filesystem;

std::error_code LastError() {
  return {errno, std::generic_category()};
}

// A name beside `path` that no other board process uses.
fs::path SiblingName(const fs::path& path, const char* suffix) {
  fs::path sibling = path;
  sibling += suffix + std::to_string(::getpid());
  return sibling;
}

// Writes `bytes` to a new file beside `path` and renames it over `path`.
std::error_code ReplaceFile(const fs::path& path, std::span<const std::uint8_t> bytes) {
  const fs::path temporary = SiblingName(path, ".partial-");
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    return LastError();
  }
  std::error_code error;
  while (!bytes.empty() && !error) {
    const ssize_t count = ::write(fd, bytes.data(), bytes.size());
    if (count < 0 && errno != EINTR) {
      error = LastError();
    } else if (count > 0) {
      bytes = bytes.subspan(static_cast<std::size_t>(count));
    }
  }
  if (::close(fd) != 0 && !error) {
    error = LastError();
  }
  if (!error) {
    fs::rename(temporary, path, error);
  }
  if (error) {
    std::error_code ignored;
    fs::remove(temporary, ignored);
  }
  return error;
}

// Points `link` at `device`. A link left behind by an earlier board is replaced; anything else
// at that path is refused rather than destroyed.
std::error_code LinkPort(const fs::path& link, const std::string& device) {
  std::error_code error;
  const fs::file_status status = fs::symlink_status(link, error);
  if (status.type() != fs::file_type::not_found && status.type() != fs::file_type::symlink) {
    return error ? error : std::make_error_code(std::errc::file_exists);
  }
  const fs::path fresh = SiblingName(link, ".new-");
  fs::remove(fresh, error);
  fs::create_symlink(device, fresh, error);
  if (!error) {
    fs::rename(fresh, link, error);
  }
  return error;
}

// Removes `link` unless another board has taken it over since.
void UnlinkPort(const fs::path& link, const std::string& device) {
  std::error_code error;
  if (fs::read_symlink(link, error) == device && !error) {
    fs::remove(link, error);
  }
}

// The end of the process is asked for through a descriptor, so that poll() sees it.
int OpenStopSignals(std::error_code& error) {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGINT);
  if (::sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
    error = LastError();
    return -1;
  }
  const int fd = ::signalfd(-1, &signals, SFD_CLOEXEC);
  if (fd < 0) {
    error = LastError();
  }
  return fd;
}

// Answers the host until a stop signal arrives. Returns what else ended it; empty after the signal.
std::string Serve(PseudoTerminal& port, int stop_signals, Atmega328p& chip,
                  const fs::path& flash_file) {
  Stk500Bootloader bootloader(chip);
  int sessions_saved = 0;
  std::array<pollfd, 3> watched{{{port.master_fd(), POLLIN | POLLPRI, 0},
                                 {port.opened_fd(), POLLIN, 0},
                                 {stop_signals, POLLIN, 0}}};
  // Until a look at the port shows that nobody has it open.
  bool port_open = true;
  PseudoTerminal::Input input;
  std::vector<std::uint8_t> reply;
  for (;;) {
    // A port nobody has open reports a hang-up on every poll; it is left out until reopened.
    watched[0].fd = port_open ? port.master_fd() : -1;
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) {
        continue;
      }
      return "poll: " + LastError().message();
    }
    if (watched[2].revents != 0) {
      return {};
    }
    if (((watched[0].revents | watched[1].revents) & (POLLERR | POLLNVAL)) != 0) {
      return "the pseudo-terminal failed";
    }
    if (std::error_code error = port.Receive(input)) {
      return "cannot read the pseudo-terminal: " + error.message();
    }
    port_open = !input.port_closed;
    if (input.port_flushed) {
      bootloader.Reset();
      std::cout << "reset" << std::endl;
    }
    reply.clear();
    bootloader.Receive(input.bytes, reply);
    if (bootloader.sessions_ended() != sessions_saved) {
      if (std::error_code error = ReplaceFile(flash_file, chip.flash())) {
        return "cannot write " + flash_file.string() + ": " + error.message();
      }
      sessions_saved = bootloader.sessions_ended();
      std::cout << "programmed " << sessions_saved << std::endl;
    }
    std::size_t dropped = 0;
    if (std::error_code error = port.Send(reply, dropped)) {
      return "cannot write the pseudo-terminal: " + error.message();
    }
    if (dropped != 0) {
      std::cerr << "stk500_board: " << dropped << " answer bytes lost, nobody reads the port\n";
    }
  }
}

int Run(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: stk500_board PORT_LINK FLASH_FILE\n";
    return 2;
  }
  const fs::path link = argv[1];
  const fs::path flash_file = argv[2];

  std::error_code error;
  const int stop_signals = OpenStopSignals(error);
  if (error) {
    std::cerr << "stk500_board: cannot watch for signals: " << error.message() << '\n';
    return 1;
  }
  std::optional<PseudoTerminal> port = PseudoTerminal::Open(error);
  if (!port) {
    std::cerr << "stk500_board: cannot open a pseudo-terminal: " << error.message() << '\n';
    return 1;
  }
  Atmega328p chip;
  if ((error = ReplaceFile(flash_file, chip.flash()))) {
    std::cerr << "stk500_board: cannot write " << flash_file << ": " << error.message() << '\n';
    return 1;
  }
  if ((error = LinkPort(link, port->slave_path()))) {
    std::cerr << "stk500_board: cannot link " << link << ": " << error.message() << '\n';
    return 1;
  }
  std::cout << "ready " << port->slave_path() << std::endl;

  const std::string failure = Serve(*port, stop_signals, chip, flash_file);
  UnlinkPort(link, port->slave_path());
  ::close(stop_signals);
  if (!failure.empty()) {
    std::cerr << "stk500_board: " << failure << '\n';
    return 1;
  }
  return 0;
}

}  // namespace
}  // namespace quillbrook::board

int main(int argc, char** argv) {
  return quillbrook::board::Run(argc, argv);
}
