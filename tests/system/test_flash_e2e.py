"""test_flash_e2e.py: the built program, on a private X display, flashing the simulated board
through the real avrdude after the HEX file is rewritten, with and without the log, and set up by
hand through its window."""

import os
import random
import sys
import time
import unittest

from status_picture import STATE_NAMES, StatusRecorder, load_state_pictures
from x11_session import X11Session, read_ini, wait_for

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "board"))
from board_process import FLASH_SIZE, BoardProcess  # noqa: E402
from intel_hex import differences, flash_image, write_hex  # noqa: E402

COLLAPSED = 56
EXPANDED = 212
FRAME = 1  # the window's own border; controls sit in client coordinates inside it
# Points in client coordinates, inside the controls.
OPTIONS_BUTTON = (75, 38)
TYPE_BOX = (50, 85)
PORT_BOX = (50, 130)
HEX_PATH_EDIT = (60, 175)
# Away from the terminal emulator, which opens at the top left of the screen.
WINDOW_PLACE = (860, 520)
TEMPLATE = '-c arduino -p m328p -P %1 -b 115200 -D -U flash:w:"%2":i'
# Not a whole number of flash pages, so that avrdude pads the last one.
FIRMWARE_SIZE = 3 * 1024 + 77
# The program's two fixed delays and its quiet time, in seconds.
AUTO_FLASH_DELAY = 2.0
LAUNCH_DELAY = 0.1
QUIET_TIME = 2.0
DONE_HOLD = 2.0
# How much later than its fixed delay a step may be seen on a busy machine.
SLACK = 1.5
# What a sample may take to notice a change that has already happened.
SAMPLE_LAG = 0.1

PICTURES = load_state_pictures()


def names(states):
    return [STATE_NAMES[state] for state in states]


class FlashEndToEndTest(unittest.TestCase):
    def setUp(self):
        if os.geteuid() != 0:
            self.skipTest("needs root, to give the simulated board a port name under /dev")
        self.session = X11Session()
        self.addCleanup(self.session.close)
        self.board = BoardProcess(self.session.root)
        self.addCleanup(self.stop_board)
        self.port = self.link_port(self.board.device)
        self.firmware_dir = os.path.join(self.session.root, "fw")
        os.makedirs(self.firmware_dir)
        self.hex_path = os.path.join(self.firmware_dir, "blink.hex")
        self.random = random.Random(0x2100)

    def stop_board(self):
        status = self.board.stop()
        self.assertEqual(status, 0, self.board.errors())

    def link_port(self, device):
        """Gives `device` the first free name from /dev/ttyACM63 downward, where the program looks
        for ports; the name is removed at the end of the test, also when the test fails."""
        for number in range(63, -1, -1):
            name = f"/dev/ttyACM{number}"
            try:
                os.symlink(device, name)
            except FileExistsError:
                continue
            self.addCleanup(os.remove, name)
            return name
        self.fail("no free name /dev/ttyACM0..63")

    def write_settings(self, text):
        with open(self.session.settings_path, "w") as file:
            file.write(f"[position]\nLeft={WINDOW_PLACE[0]}\nTop={WINDOW_PLACE[1]}\n" + text)

    def settings(self):
        return {name: dict(keys) for name, keys in read_ini(self.session.settings_path)}

    def start_program(self, extra_env=None):
        self.process = self.session.start(extra_env=extra_env)
        self.window = self.session.find_window("Quillbrook")
        wait_for(lambda: self.session.geometry(self.window)[3] == COLLAPSED,
                 what="the collapse after start")
        self.status = StatusRecorder(self.session.display.name, self.window, PICTURES)
        self.addCleanup(self.status.close)
        wait_for(lambda: self.status.current() == 0, what="the status picture of 'No changes'")

    def close_program(self):
        """Ends the program as the system close command does; it must end cleanly after what it
        did (under AddressSanitizer, also without leaks)."""
        self.status.close()
        self.session.send_close_request(self.window)
        output, _ = self.process.communicate(timeout=20)
        self.assertEqual(self.process.returncode, 0, output.decode(errors="replace"))

    def firmware(self, size):
        return bytes(self.random.randrange(256) for _ in range(size))

    def rewrite_hex(self, data):
        """Writes the HEX file anew in place, as a build does; returns when the write began."""
        began = time.monotonic()
        write_hex(self.hex_path, data)
        return began

    def rewrite_hex_until_noticed(self, data, attempts=10):
        """Rewrites the HEX file until the program shows "Changes detected!"; returns when the
        first write began.

        Every write of the settings file (each keystroke in the HEX path is one) is followed by a
        reload that restarts the HEX watch, and a rewrite that comes while those reloads still run
        can be lost with the watch it reached; only a later one is seen then."""
        began = time.monotonic()
        for _ in range(attempts):
            written = self.rewrite_hex(data)
            try:
                wait_for(lambda: 1 in [state for _, state in self.status.changes(written)],
                         timeout=1.0, what="'Changes detected!'")
                return began
            except AssertionError:
                continue
        self.fail(f"{attempts} rewrites of the HEX file went unnoticed")

    def assert_flash_holds(self, data):
        self.assertEqual(differences(self.board.flash(), flash_image(FLASH_SIZE, [(0, data)])), "")

    def wait_for_full_cycle(self, since, timeout=30.0):
        """Waits until the status went through a flash and back to 'No changes' after `since`;
        returns the changes seen, as (seconds after `since`, state)."""
        def back_to_no_changes():
            states = [state for _, state in self.status.changes(since)]
            return 3 in states and states[-1] == 0
        wait_for(back_to_no_changes, timeout, interval=0.05, what="the status to come back")
        return [(at - since, state) for at, state in self.status.changes(since)]

    # --- the client-area helpers ------------------------------------------------------------------

    def screen_point(self, client_point):
        left, top, _, _ = self.session.geometry(self.window)
        return left + FRAME + client_point[0], top + FRAME + client_point[1]

    def click(self, client_point):
        x, y = self.screen_point(client_point)
        self.session.run_tool("xdotool", "mousemove", str(x), str(y), "click", "1")

    def move_pointer_away(self):
        # Off the window, so that no tooltip covers the status picture.
        self.session.run_tool("xdotool", "mousemove", "0", "767")

    def expand(self):
        self.click(OPTIONS_BUTTON)
        wait_for(lambda: self.session.geometry(self.window)[3] == EXPANDED,
                 what="the expanded height")

    def visible_windows(self):
        out = self.session.run_tool("xdotool", "search", "--onlyvisible", "--pid",
                                    str(self.process.pid), check=False)
        return set(out.split())

    def choose_in_list(self, box_point, item):
        """Opens a drop-down list with a click and picks `item` in the open list by typing its
        text and Return, as a user at the keyboard would."""
        before = self.visible_windows()
        self.click(box_point)
        wait_for(lambda: self.visible_windows() - before, what="the open list")
        self.session.run_tool("xdotool", "type", "--delay", "30", item)
        self.session.run_tool("xdotool", "key", "Return")
        wait_for(lambda: not self.visible_windows() - before, what="the list to close")

    # --- the tests --------------------------------------------------------------------------------

    def flash_after_rewrite(self, log, extra_env=None):
        """One auto-mode rewrite of the HEX file, checked from the write to "No changes" again;
        returns when each state was first seen and when the board ended its session, in seconds
        after the write."""
        self.write_settings(f"[init]\nauto=1\nconsol={int(log)}\ntype=Sim\n"
                            f"[Sim]\navrdude_param={TEMPLATE}\nport={self.port}\n"
                            f"hex_file_path={self.hex_path}\n")
        self.start_program(extra_env)
        self.move_pointer_away()
        data = self.firmware(FIRMWARE_SIZE)
        began = self.rewrite_hex(data)
        self.board.wait_programmed(1, timeout=20)
        changes = self.wait_for_full_cycle(began)
        self.assert_flash_holds(data)
        self.assertEqual(names(state for _, state in changes), names([1, 2, 3, 0]),
                         f"status changes: {changes}")

        # A time seen here is never earlier than the moment it stands for; the program's timers
        # never fire early, so the lower bounds hold exactly.
        at = {state: moment for moment, state in changes}
        started = min(moment for moment in self.board.resets_at if moment >= began) - began
        programmed = self.board.programmed_at[1] - began
        self.assertLess(at[1], SLACK)
        self.assertGreaterEqual(at[2], AUTO_FLASH_DELAY)
        self.assertLess(at[2], AUTO_FLASH_DELAY + SLACK)
        self.assertGreaterEqual(started, AUTO_FLASH_DELAY + LAUNCH_DELAY)
        self.assertLess(started, AUTO_FLASH_DELAY + LAUNCH_DELAY + SLACK)
        self.assertGreaterEqual(at[0] - at[3], DONE_HOLD - SAMPLE_LAG)
        self.assertLess(at[0] - at[3], DONE_HOLD + SLACK)
        self.close_program()
        return at, programmed

    def test_auto_flash_without_log(self):
        at, programmed = self.flash_after_rewrite(log=False)
        # avrdude's last words come after the session; "Done" waits for 2 s of silence after them.
        self.assertGreaterEqual(at[3] - programmed, QUIET_TIME - SAMPLE_LAG)
        self.assertLess(at[3] - programmed, QUIET_TIME + SLACK)

    def test_auto_flash_with_log_in_a_terminal(self):
        terminal_log = os.path.join(self.session.root, "terminal.log")
        resources = os.path.join(self.session.root, "xterm-resources")
        with open(resources, "w") as file:
            # The terminal keeps what it showed, which tells that avrdude ran inside it, and opens
            # away from the program's window.
            file.write(f"XTerm*logging: true\nXTerm*logFile: {terminal_log}\n"
                       "XTerm*geometry: 80x24+0+0\n")
        at, programmed = self.flash_after_rewrite(
            log=True, extra_env={"TERMINAL": "xterm", "XENVIRONMENT": resources})
        # "Done" comes when the terminal ends with avrdude, not after a quiet time.
        self.assertLess(at[3] - programmed, QUIET_TIME - SAMPLE_LAG)
        with open(terminal_log, errors="replace") as file:
            shown = file.read()
        self.assertIn(f"{FIRMWARE_SIZE} bytes of flash verified", shown)

    def test_type_port_and_path_chosen_in_the_window_then_a_type_added_by_hand(self):
        # A second free port, listed before the board's, so that choosing the board's is a change.
        master, slave = os.openpty()
        self.addCleanup(os.close, master)
        self.link_port(os.ttyname(slave))
        os.close(slave)
        other = {"avrdude_param": "-c usbasp -p m8 -U flash:w:%2:i"}
        self.write_settings("[init]\nauto=1\nconsol=0\n"
                            f"[Other]\navrdude_param={other['avrdude_param']}\n"
                            f"[Sim]\navrdude_param={TEMPLATE}\n")
        position = self.settings()["position"]
        self.start_program()
        self.expand()

        # Each choice is written at once, and only there: "Other" was selected, so choosing
        # "Sim" is a change, and the board's port is written into the section of "Sim".
        self.choose_in_list(TYPE_BOX, "Sim")
        wait_for(lambda: self.settings()["init"].get("type") == "Sim", what="type=Sim")
        self.choose_in_list(PORT_BOX, self.port)
        wait_for(lambda: "port" in self.settings()["Sim"], what="the port of Sim")
        sim = {"avrdude_param": TEMPLATE, "port": self.port}
        init = {"auto": "1", "consol": "0", "type": "Sim"}
        self.assertEqual(self.settings(),
                         {"position": position, "init": init, "Other": other, "Sim": sim})

        self.click(HEX_PATH_EDIT)
        self.session.run_tool("xdotool", "key", "ctrl+a")
        self.session.run_tool("xdotool", "type", "--delay", "30", self.hex_path)
        wait_for(lambda: self.settings()["Sim"].get("hex_file_path") == self.hex_path,
                 what="the typed HEX path")
        self.move_pointer_away()
        sim["hex_file_path"] = self.hex_path
        self.assertEqual(self.settings(),
                         {"position": position, "init": init, "Other": other, "Sim": sim})

        data = self.firmware(2 * 1024 + 5)
        began = self.rewrite_hex_until_noticed(data)
        self.board.wait_programmed(1, timeout=20)
        changes = self.wait_for_full_cycle(began)
        self.assertEqual(names(state for _, state in changes), names([1, 2, 3, 0]))
        self.assert_flash_holds(data)

        with open(self.session.settings_path, "a") as file:
            file.write("[Added]\navrdude_param=-c arduino -p m2560 -P %1 -U flash:w:%2:i\n")

        def choose_added():
            try:
                self.choose_in_list(TYPE_BOX, "Added")
            except AssertionError:  # the list was being filled anew while it opened
                return False
            return self.settings()["init"].get("type") == "Added"

        # Tried until the reload after the edit has listed the new type; the program that was
        # started above is still the one that answers, and it ends cleanly.
        wait_for(choose_added, timeout=15, what="the added type to be listed and chosen")
        self.close_program()


if __name__ == "__main__":
    unittest.main()
