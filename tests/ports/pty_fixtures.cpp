// pty_fixtures.cpp: serial ports for the probe tests: pseudo-terminals, a directory standing in for
// /dev, and a process that holds a port open.
#include "pty_fixtures.h"

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

namespace quillbrook::testing {

namespace {

[[noreturn]] void ThrowErrno(const char* what) {
  throw std::system_error(errno, std::generic_category(), what);
}

}  // namespace

PseudoTerminal::PseudoTerminal() : master_(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC)) {
  if (master_ < 0) {
    ThrowErrno("posix_openpt");
  }
  std::array<char, 128> name{};
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0 ||
      ::ptsname_r(master_, name.data(), name.size()) != 0) {
    const int error = errno;
    ::close(master_);
    throw std::system_error(error, std::generic_category(), "pseudo-terminal port side");
  }
  port_ = name.data();
}

PseudoTerminal::~PseudoTerminal() {
  ::close(master_);
}

HoldingProcess::HoldingProcess(const std::string& device, bool exclusive) {
  std::array<int, 2> ready{};
  if (::pipe2(ready.data(), O_CLOEXEC) != 0) {
    ThrowErrno("pipe2");
  }
  pid_ = ::fork();
  if (pid_ < 0) {
    const int error = errno;
    ::close(ready[0]);
    ::close(ready[1]);
    throw std::system_error(error, std::generic_category(), "fork");
  }
  if (pid_ == 0) {
    // Only async-signal-safe calls from here on: the test process may have threads.
    ::close(ready[0]);
    const int port = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    const bool holding = port >= 0 && (!exclusive || ::ioctl(port, TIOCEXCL) == 0);
    const char status = holding ? '1' : '0';
    if (::write(ready[1], &status, 1) != 1 || !holding) {
      ::_exit(1);
    }
    for (;;) {
      ::pause();
    }
  }
  ::close(ready[1]);
  char status = '0';
  ssize_t got = 0;
  do {
    got = ::read(ready[0], &status, 1);
  } while (got < 0 && errno == EINTR);
  ::close(ready[0]);
  if (got != 1 || status != '1') {
    Release();
    throw std::system_error(std::make_error_code(std::errc::io_error),
                            "holder could not open " + device);
  }
}

void HoldingProcess::Release() {
  if (pid_ <= 0) {
    return;
  }
  ::kill(pid_, SIGKILL);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

}  // namespace quillbrook::testing
