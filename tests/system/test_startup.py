"""test_startup.py: the built program's start and end: the information box, placement, saved position."""

import os
import subprocess
import unittest

from x11_session import SCREEN_HEIGHT, SCREEN_WIDTH, X11Session, read_bytes, read_ini, wait_for

CENTRED = ((SCREEN_WIDTH - 127) // 2, (SCREEN_HEIGHT - 220) // 2)


class StartupTest(unittest.TestCase):
    def setUp(self):
        self.session = X11Session()

    def tearDown(self):
        self.session.close()

    def files_written(self):
        found = []
        for top in (self.session.program_dir, self.session.home):
            for folder, _, names in os.walk(top):
                found += [os.path.join(folder, n) for n in names if n != "quillbrook"]
        return found

    def close_and_wait(self, process, window):
        self.session.send_close_request(window)
        self.assertEqual(process.wait(timeout=20), 0, process.stdout.read())

    def test_info_box_ends_with_zero_and_leaves_no_settings_file(self):
        process = self.session.start("/ih")

        def dismissed():
            # Qt may replace the box's native window right after showing it, so look it up anew
            # until a key press reaches the one that stays.
            box = self.session.find_window("Quillbrook Info")
            self.session.run_tool("xdotool", "key", "--window", str(box), "Return", check=False)
            try:
                process.wait(timeout=0.5)
            except subprocess.TimeoutExpired:
                return False
            return True

        wait_for(dismissed, timeout=20, what="the information box to be dismissed")
        self.assertEqual(process.returncode, 0)
        self.assertEqual(self.files_written(), [])

    def test_other_first_arguments_start_the_program(self):
        for args in (["/IH"], ["-ih"], ["/ihx"], ["x", "/ih"], ['"/ih"x']):
            with self.subTest(args=args):
                process = self.session.start(*args)
                window = self.session.find_window("Quillbrook")
                self.close_and_wait(process, window)

    def test_first_start_is_centred_and_close_writes_only_the_position(self):
        process = self.session.start()
        window = self.session.find_window("Quillbrook")
        left, top, width, _ = self.session.geometry(window)
        self.assertEqual((left, top, width), (*CENTRED, 127))
        self.assertEqual(self.files_written(), [], "start-up must write nothing")

        shown = self.session.geometry(window)
        self.close_and_wait(process, window)

        self.assertEqual(read_ini(self.session.settings_path),
                         [("position", [("Left", str(shown[0])), ("Top", str(shown[1])),
                                        ("Width", str(shown[2])), ("Height", str(shown[3]))])])
        self.assertEqual(self.files_written(), [self.session.settings_path])

    def test_second_start_opens_at_the_saved_position(self):
        with open(self.session.settings_path, "w") as file:
            file.write("; kept\n[position]\nLeft=-40\nTop=300\nWidth=127\n")
        before = read_bytes(self.session.settings_path)
        process = self.session.start()
        window = self.session.find_window("Quillbrook")
        left, top, width, _ = self.session.geometry(window)
        self.assertEqual((left, top, width), (-40, 300, 127))
        self.assertEqual(read_bytes(self.session.settings_path), before)
        self.close_and_wait(process, window)
        sections = read_ini(self.session.settings_path)
        self.assertEqual([name for name, _ in sections], ["position"])
        self.assertEqual(dict(sections[0][1])["Left"], "-40")
        self.assertTrue(read_bytes(self.session.settings_path).startswith(b"; kept\n"))

    def test_runs_from_any_current_directory_with_the_settings_of_its_own_directory(self):
        elsewhere = os.path.join(self.session.root, "elsewhere")
        os.makedirs(elsewhere)
        with open(self.session.settings_path, "w") as file:
            file.write("[position]\nLeft=10\nTop=20\n")
        process = self.session.start(cwd=elsewhere)
        window = self.session.find_window("Quillbrook")
        self.assertEqual(self.session.geometry(window)[:2], (10, 20))
        self.close_and_wait(process, window)
        self.assertEqual(os.listdir(elsewhere), [])


if __name__ == "__main__":
    unittest.main()
