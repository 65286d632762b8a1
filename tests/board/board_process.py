"""board_process.py: runs the simulated board (stk500_board) for a test and follows what it reports."""

import os
import queue
import signal
import stat
import subprocess
import threading
import time

FLASH_SIZE = 32 * 1024


def processes_holding(device):
    """Ids of the processes that have `device` open, found as a port list finds them: through the
    descriptor links of every process in /proc that point into /dev."""
    wanted = os.stat(device).st_rdev
    holders = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            descriptors = os.listdir(f"/proc/{pid}/fd")
        except OSError:  # ended meanwhile
            continue
        for descriptor in descriptors:
            link = f"/proc/{pid}/fd/{descriptor}"
            try:
                if not os.readlink(link).startswith("/dev/"):
                    continue
                status = os.stat(link)
            except OSError:
                continue
            if stat.S_ISCHR(status.st_mode) and status.st_rdev == wanted:
                holders.append(int(pid))
                break
    return holders


class BoardProcess:
    """One stk500_board process serving a pseudo-terminal linked at `port` in `directory`.

    The board writes its flash image to `flash_path` at start and after every programming session,
    before the programmer hears the end of the session, and reports "programmed N" on its output.
    It also reports "reset" whenever a programmer opening the port resets it. Once read (by
    wait_programmed), `programmed_at[N]` and `resets_at` tell when those reports came, in
    time.monotonic().
    """

    def __init__(self, directory, binary=None, start_timeout=10.0):
        self.binary = binary or os.environ["QUILLBROOK_STK500_BOARD"]
        self.port = os.path.join(directory, "board-port")
        self.flash_path = os.path.join(directory, "board-flash.bin")
        self.error_path = os.path.join(directory, "board-errors.txt")
        self._lines = queue.Queue()
        self.sessions = 0
        self.programmed_at = {}
        self.resets_at = []
        with open(self.error_path, "w") as errors:
            self.process = subprocess.Popen([self.binary, self.port, self.flash_path],
                                            stdout=subprocess.PIPE, stderr=errors, text=True)
        self._reader = threading.Thread(target=self._read_output, daemon=True)
        self._reader.start()
        first = self._next_line(start_timeout)
        if not first.startswith("ready "):
            self.stop()
            raise RuntimeError(f"the board did not start: {first!r}; {self.errors()}")
        self.device = first.split(" ", 1)[1]

    def _read_output(self):
        for line in self.process.stdout:
            self._lines.put((time.monotonic(), line.rstrip("\n")))
        self._lines.put((time.monotonic(), None))

    def _next_line(self, timeout):
        try:
            arrived, line = self._lines.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError(f"the board said nothing for {timeout} s; {self.errors()}") from None
        if line is None:
            raise AssertionError(f"the board ended ({self.process.wait()}); {self.errors()}")
        if line.startswith("programmed "):
            self.programmed_at[int(line.split()[1])] = arrived
        elif line == "reset":
            self.resets_at.append(arrived)
        return line

    def wait_programmed(self, count, timeout=10.0):
        """Waits until the board has reported the end of its `count`th session."""
        while self.sessions < count:
            line = self._next_line(timeout)
            if line.startswith("programmed "):
                self.sessions = int(line.split()[1])

    def flash(self):
        with open(self.flash_path, "rb") as file:
            return file.read()

    def bytes_read(self):
        """How many bytes the board has read so far, by the kernel's count: a way to know that it
        has taken in what was written to the port."""
        with open(f"/proc/{self.process.pid}/io") as io:
            for line in io:
                if line.startswith("rchar:"):
                    return int(line.split()[1])
        raise RuntimeError("no rchar in /proc/PID/io")

    def errors(self):
        with open(self.error_path) as file:
            return file.read()

    def stop(self, timeout=10.0):
        """Asks the board to end, as a test harness would, and returns its exit status."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        status = self.process.wait(timeout=timeout)
        self._reader.join(timeout=timeout)
        self.process.stdout.close()
        return status
