"""test_board.py: the simulated board programmed by the real avrdude over a pseudo-terminal."""

import os
import random
import select
import shutil
import subprocess
import tempfile
import termios
import time
import tty
import unittest

from board_process import FLASH_SIZE, BoardProcess, processes_holding
from intel_hex import differences, flash_image, hex_text, write_hex

INOTIFY_EVENT_SIZE = 16  # struct inotify_event without a name


def wait_for(condition, timeout=10.0, what="condition"):
    """Polls a real outside condition until it holds or time runs out."""
    deadline = time.monotonic() + timeout
    while not condition():
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.01)


class IntelHexTest(unittest.TestCase):
    """The two helpers the board tests lean on: a wrong HEX file or a blind comparison would let
    every other test pass for the wrong reason."""

    def test_records_carry_address_checksum_and_upper_address_bits(self):
        self.assertEqual(hex_text(bytes([1, 2]), 0x10), ":020010000102EB\n:00000001FF\n")
        self.assertEqual(hex_text(bytes(range(6)), 0xFFFC, record_size=4),
                         ":04FFFC0000010203FB\n:020000040001F9\n:020000000405F5\n:00000001FF\n")

    def test_differences_name_each_mismatching_range(self):
        expected = flash_image(64, [(2, b"ab"), (40, b"xyz")])
        self.assertEqual(differences(expected, expected), "")
        actual = bytearray(expected)
        actual[3] = 0
        actual[41:43] = b"\xff\xff"
        self.assertEqual(differences(bytes(actual), expected),
                         "[0x0003, 0x0004): got 00, expected 62; "
                         "[0x0029, 0x002b): got ffff, expected 797a")
        self.assertIn("size 63, expected 64", differences(expected[:63], expected))


class BoardWithAvrdudeTest(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="quillbrook-board-")
        self.board = BoardProcess(self.directory)
        self.random = random.Random(0x328)

    def tearDown(self):
        status = self.board.stop()
        errors = self.board.errors()
        shutil.rmtree(self.directory, ignore_errors=True)
        self.assertEqual(status, 0, errors)

    def firmware(self, size):
        return bytes(self.random.randrange(256) for _ in range(size))

    def avrdude(self, data, address=0, erase=False):
        """Runs avrdude on a HEX file of `data` at `address`, with a chip erase first or without
        (-D); the board has heard the end of the session by the time this returns."""
        path = os.path.join(self.directory, "firmware.hex")
        write_hex(path, data, address)
        command = ["avrdude", "-c", "arduino", "-p", "m328p", "-P", self.board.port,
                   "-b", "115200", *([] if erase else ["-D"]), "-U", f"flash:w:{path}:i"]
        return subprocess.run(command, capture_output=True, text=True, timeout=60)

    def assertFlash(self, expected):
        self.assertEqual(differences(self.board.flash(), expected), "")

    def test_each_run_over_the_reopened_port_leaves_exactly_the_file_in_flash(self):
        # Neither length is a whole number of 128-byte pages, and the second and third start
        # inside a page, so avrdude pads and, without erase, keeps the rest of those pages.
        runs = [
            ("no erase, at 0", 0x0000, self.firmware(3001), False),
            ("no erase, over the first", 0x0A31, self.firmware(2222), False),
            ("chip erase", 0x1234, self.firmware(4099), True),
        ]
        expected = flash_image(FLASH_SIZE, [])
        for session, (what, address, data, erase) in enumerate(runs, start=1):
            with self.subTest(what):
                result = self.avrdude(data, address, erase)
                self.assertEqual(result.returncode, 0, result.stderr)
                expected = flash_image(FLASH_SIZE, [(address, data)],
                                       base=None if erase else expected)
                # Already current when avrdude has ended: the board saves before it answers.
                self.assertFlash(expected)
                self.board.wait_programmed(session)
                # Each run's open of the port reset the board, and the board said so.
                self.assertGreaterEqual(len(self.board.resets_at), session)

    def test_a_file_bigger_than_the_flash_fails_and_the_board_serves_on(self):
        first = self.firmware(700)
        self.assertEqual(self.avrdude(first).returncode, 0)
        before = self.board.flash()
        self.assertEqual(differences(before, flash_image(FLASH_SIZE, [(0, first)])), "")

        result = self.avrdude(self.firmware(FLASH_SIZE + 1))
        self.assertNotEqual(result.returncode, 0, result.stderr)
        self.assertIn("out of range", result.stderr)
        self.assertFlash(before)

        last = self.firmware(FLASH_SIZE)
        result = self.avrdude(last)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertFlash(last)

    def test_nobody_holds_the_idle_port_and_it_stays_raw(self):
        """A port list skips ports that a process holds; between programmers the board's port must
        be free, as a real board's is, and keep the raw settings a serial monitor relies on."""
        for moment in ("before any session", "after a session"):
            with self.subTest(moment):
                if moment != "before any session":
                    self.assertEqual(self.avrdude(self.firmware(300)).returncode, 0)
                    self.board.wait_programmed(1)
                self.assertEqual(processes_holding(self.board.device), [])
                fd = os.open(self.board.port, os.O_RDWR | os.O_NOCTTY)
                try:
                    self.assertEqual(processes_holding(self.board.device), [os.getpid()])
                    _, _, _, lflag, _, _, _ = termios.tcgetattr(fd)
                    self.assertEqual(lflag & (termios.ICANON | termios.ECHO | termios.ISIG), 0)
                finally:
                    os.close(fd)
        # And it still serves a programmer after a user that did nothing.
        self.assertEqual(self.avrdude(self.firmware(200)).returncode, 0)
        self.board.wait_programmed(2)

    def test_opening_the_port_forgets_a_command_an_earlier_user_cut_off(self):
        already_read = self.board.bytes_read()
        half_page = bytes([0x64, 0x00, 0x80, ord("F")]) + bytes(10)
        fd = os.open(self.board.port, os.O_RDWR | os.O_NOCTTY)
        try:
            os.write(fd, half_page)
            # The board reads the notice of the open (one inotify event) and the data, which comes
            # with the packet-mode status byte.
            wait_for(lambda: self.board.bytes_read() >= already_read + INOTIFY_EVENT_SIZE
                     + len(half_page) + 1, what="the board to take in the half command")
        finally:
            os.close(fd)

        # Opened as avrdude opens a port: raw, then the unread input flushed.
        fd = os.open(self.board.port, os.O_RDWR | os.O_NOCTTY)
        try:
            tty.setraw(fd)
            termios.tcflush(fd, termios.TCIFLUSH)
            os.write(fd, bytes([0x30, 0x20]))
            answer = b""
            while len(answer) < 2 and select.select([fd], [], [], 5.0)[0]:
                answer += os.read(fd, 2 - len(answer))
        finally:
            os.close(fd)
        self.assertEqual(answer, bytes([0x14, 0x10]))


class BoardStartTest(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp(prefix="quillbrook-board-")
        self.addCleanup(shutil.rmtree, self.directory, True)
        self.binary = os.environ["QUILLBROOK_STK500_BOARD"]

    def start(self, port, flash):
        return subprocess.run([self.binary, port, flash], capture_output=True, text=True,
                              timeout=20)

    def test_takes_over_a_stale_link_and_removes_its_own_at_the_end(self):
        port = os.path.join(self.directory, "board-port")
        os.symlink("/nonexistent/ttyACM9", port)
        board = BoardProcess(self.directory)
        try:
            self.assertEqual(os.readlink(port), board.device)
        finally:
            self.assertEqual(board.stop(), 0, board.errors())
        self.assertFalse(os.path.lexists(port))

    def test_refuses_to_start_where_it_would_destroy_or_lose_something(self):
        kept = os.path.join(self.directory, "notes.txt")
        with open(kept, "w") as file:
            file.write("mine")
        flash = os.path.join(self.directory, "flash.bin")
        cases = [
            ("port path is a file", kept, flash, "cannot link"),
            ("flash file in a missing directory", os.path.join(self.directory, "port"),
             os.path.join(self.directory, "missing", "flash.bin"), "cannot write"),
        ]
        for what, port, flash_path, message in cases:
            with self.subTest(what):
                result = self.start(port, flash_path)
                self.assertEqual(result.returncode, 1)
                self.assertIn(message, result.stderr)
                self.assertNotIn("ready", result.stdout)
        with open(kept) as file:
            self.assertEqual(file.read(), "mine")


if __name__ == "__main__":
    unittest.main()
