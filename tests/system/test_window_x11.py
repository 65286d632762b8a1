"""test_window_x11.py: the built program's window on a real X server: its overlay properties, the
background drag, the close button, and its collapsed and expanded look."""

import ctypes
import os
import re
import shutil
import struct
import tempfile
import unittest
import zlib

from x11_session import X11Session, wait_for

COLLAPSED = 56
EXPANDED = 212
FRAME = 1  # the window's own border; controls sit in client coordinates inside it

# Points in client coordinates (the places the controls are laid out at).
EMPTY_BACKGROUND = (60, 10)  # between the status picture and the close button
OPTIONS_BUTTON = (75, 38)
CLOSE_BUTTON = (116, 10)
TYPE_BOX = (50, 85)
TYPE_LABEL = (10, 66)


class Screenshot:
    """A window's pixels as the X server shows them, read with XGetImage (no outside tools)."""

    def __init__(self, display_name, window):
        xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XGetImage.restype = ctypes.POINTER(_XImage)
        xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        xlib.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_void_p]
        xlib.XFree.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        display = xlib.XOpenDisplay(display_name.encode())
        if not display:
            raise RuntimeError("cannot open display")
        try:
            attributes = (ctypes.c_int * 64)()  # XWindowAttributes starts with x, y, width, height
            xlib.XGetWindowAttributes(display, window, attributes)
            self.width, self.height = attributes[2], attributes[3]
            image = xlib.XGetImage(display, window, 0, 0, self.width, self.height,
                                   0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
            if not image:
                raise RuntimeError("XGetImage failed")
            try:
                info = image.contents
                if info.bits_per_pixel != 32 or info.byte_order != 0:
                    raise RuntimeError("expected a 32-bit little-endian visual")
                raw = ctypes.string_at(info.data, info.bytes_per_line * self.height)
                self.rows = [raw[y * info.bytes_per_line:y * info.bytes_per_line + 4 * self.width]
                             for y in range(self.height)]
            finally:
                xlib.XFree(image.contents.data)
                xlib.XFree(image)
        finally:
            xlib.XCloseDisplay(display)

    def pixel(self, x, y):
        blue, green, red = self.rows[y][4 * x:4 * x + 3]
        return red, green, blue

    def pixels(self, left, top, width, height):
        return [self.pixel(x, y) for y in range(top, top + height)
                for x in range(left, left + width)]

    def save_png(self, path):
        def chunk(kind, data):
            body = kind + data
            return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

        scanlines = b"".join(
            b"\0" + b"".join(bytes(self.pixel(x, y)) for x in range(self.width))
            for y in range(self.height))
        with open(path, "wb") as file:
            file.write(b"\x89PNG\r\n\x1a\n")
            file.write(chunk(b"IHDR", struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)))
            file.write(chunk(b"IDAT", zlib.compress(scanlines, 9)))
            file.write(chunk(b"IEND", b""))


class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


def near(colour, expected, tolerance):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, expected))


class WindowX11Test(unittest.TestCase):
    def setUp(self):
        self.session = X11Session()
        self.process = self.session.start()
        self.window = self.session.find_window("Quillbrook")
        # The window collapses a moment after it appears; everything below starts from there.
        wait_for(lambda: self.geometry()[3] == COLLAPSED, what="the collapse after start")

    def tearDown(self):
        self.session.close()
        self.process.stdout.close()

    def geometry(self):
        return self.session.geometry(self.window)

    def screen_point(self, client_point):
        left, top, _, _ = self.geometry()
        return left + FRAME + client_point[0], top + FRAME + client_point[1]

    def drag(self, client_point, dx, dy):
        x, y = self.screen_point(client_point)
        self.session.run_tool("xdotool", "mousemove", str(x), str(y), "mousedown", "1",
                              "mousemove", str(x + dx // 2), str(y + dy // 2),
                              "mousemove", str(x + dx), str(y + dy), "mouseup", "1")

    def click(self, client_point):
        x, y = self.screen_point(client_point)
        self.session.run_tool("xdotool", "mousemove", str(x), str(y), "click", "1")

    def expand(self):
        self.click(OPTIONS_BUTTON)
        wait_for(lambda: self.geometry()[3] == EXPANDED, what="the expanded height")
        # Away from the button, so that no hint covers the window.
        self.session.run_tool("xdotool", "mousemove", "0", "0")

    def test_stays_on_top_is_see_through_and_has_no_task_bar_button(self):
        props = self.session.run_tool(
            "xprop", "-id", str(self.window), "_NET_WM_STATE", "_NET_WM_WINDOW_OPACITY",
            "_NET_WM_WINDOW_TYPE", "_MOTIF_WM_HINTS", "WM_NORMAL_HINTS")
        state = re.search(r"_NET_WM_STATE\(ATOM\) = (.*)", props).group(1).split(", ")
        self.assertIn("_NET_WM_STATE_ABOVE", state)
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", state)
        opacity = int(re.search(r"_NET_WM_WINDOW_OPACITY\(CARDINAL\) = (\d+)", props).group(1))
        self.assertEqual(opacity, round(0xFFFFFFFF * 180 / 255))
        self.assertIn("_NET_WM_WINDOW_TYPE_UTILITY",
                      re.search(r"_NET_WM_WINDOW_TYPE\(ATOM\) = (.*)", props).group(1))
        motif = re.search(r"_MOTIF_WM_HINTS\(_MOTIF_WM_HINTS\) = (.*)", props).group(1).split(", ")
        self.assertEqual(int(motif[2], 16), 0, "no title bar or border from the window manager")
        minimum = re.search(r"minimum size: (\d+) by (\d+)", props).groups()
        maximum = re.search(r"maximum size: (\d+) by (\d+)", props).groups()
        self.assertEqual(minimum, maximum, "the user cannot resize it")

    def test_dragging_the_background_moves_the_window(self):
        left, top, width, height = self.geometry()
        self.drag(EMPTY_BACKGROUND, 50, 30)
        wait_for(lambda: self.geometry() == (left + 50, top + 30, width, height),
                 what="the window to follow the drag")

    def test_dragging_a_list_or_a_label_does_not_move_the_window(self):
        self.expand()
        left, top, width, height = self.geometry()
        self.drag(TYPE_BOX, 40, 40)
        self.session.run_tool("xdotool", "key", "Escape")  # the press opened the list
        self.drag(TYPE_LABEL, 40, 40)
        # A background drag as the last event: once it has moved the window by its own distance,
        # the drags before it have been handled and cannot have moved it.
        self.drag(EMPTY_BACKGROUND, 20, 10)
        wait_for(lambda: self.geometry()[:2] != (left, top), what="the background drag")
        self.assertEqual(self.geometry(), (left + 20, top + 10, width, height))

    def test_the_close_button_ends_the_program(self):
        self.click(CLOSE_BUTTON)
        self.assertEqual(self.process.wait(timeout=20), 0)

    def test_collapsed_and_expanded_look(self):
        """Also keeps the pictures when QUILLBROOK_SCREENSHOT_DIR names a folder (for the docs)."""
        shots = {"collapsed": Screenshot(self.session.display.name, self.window)}
        self.expand()
        shots["expanded"] = Screenshot(self.session.display.name, self.window)

        for name, shot in shots.items():
            with self.subTest(name):
                self.assertEqual(shot.width, 127)
                self.assertEqual(shot.height, COLLAPSED if name == "collapsed" else EXPANDED)
                self.assertEqual(shot.pixel(0, 0), (128, 128, 128), "the thin grey frame")
                self.assertEqual(shot.pixel(1 + EMPTY_BACKGROUND[0], 1 + EMPTY_BACKGROUND[1]),
                                 (255, 255, 255), "white background")
                # The close button's light-grey cross, drawn from the program's own pictures.
                cross = shot.pixels(1 + 106, 1, 20, 20)
                self.assertTrue(any(near(p, (200, 200, 200), 30) for p in cross))
                # The status picture of "No changes" is no blank square.
                self.assertTrue(any(p != (255, 255, 255) for p in shot.pixels(1, 1, 47, 47)))
        # Only the expanded window shows the lists and the silver link.
        link = shots["expanded"].pixels(1 + 25, 1 + 190, 60, 14)
        self.assertTrue(any(near(p, (192, 192, 192), 40) for p in link))
        self.assertTrue(all(p[0] >= 120 for p in link), "silver text, nothing darker")

        target = os.environ.get("QUILLBROOK_SCREENSHOT_DIR")
        if target:
            os.makedirs(target, exist_ok=True)
            for name, shot in shots.items():
                shot.save_png(os.path.join(target, f"window-{name}.png"))


if __name__ == "__main__":
    unittest.main()
