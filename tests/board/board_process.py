"""board_process.py: runs the simulated board (stk500_board) for a test and follows what it reports."""

import os
import queue
import signal
import subprocess
import threading

FLASH_SIZE = 32 * 1024


class BoardProcess:
    """One stk500_board process serving a pseudo-terminal linked at `port` in `directory`.

    The board writes its flash image to `flash_path` at start and after every programming session,
    before the programmer hears the end of the session, and reports "programmed N" on its output.
    """

    def __init__(self, directory, binary=None, start_timeout=10.0):
        self.binary = binary or os.environ["QUILLBROOK_STK500_BOARD"]
        self.port = os.path.join(directory, "board-port")
        self.flash_path = os.path.join(directory, "board-flash.bin")
        self.error_path = os.path.join(directory, "board-errors.txt")
        self._lines = queue.Queue()
        self.sessions = 0
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
            self._lines.put(line.rstrip("\n"))
        self._lines.put(None)

    def _next_line(self, timeout):
        try:
            line = self._lines.get(timeout=timeout)
        except queue.Empty:
            raise AssertionError(f"the board said nothing for {timeout} s; {self.errors()}") from None
        if line is None:
            raise AssertionError(f"the board ended ({self.process.wait()}); {self.errors()}")
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
