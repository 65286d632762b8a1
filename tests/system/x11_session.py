"""x11_session.py: runs the built program on a private Xvfb display and looks at its windows."""

import ctypes
import os
import re
import shutil
import subprocess
import tempfile
import time

SCREEN_WIDTH = 1024
SCREEN_HEIGHT = 768


def wait_for(condition, timeout=10.0, interval=0.02, what="condition"):
    """Polls a real outside condition (a window, a file, a process) until it holds or time runs out."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(interval)


class XvfbDisplay:
    """A private X server; Xvfb picks a free display number itself (-displayfd)."""

    def __init__(self, width=SCREEN_WIDTH, height=SCREEN_HEIGHT):
        read_end, write_end = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as pipe:
            number = pipe.readline().strip()
        if not number:
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.name = f":{number}"

    def close(self):
        self.process.terminate()
        self.process.wait(timeout=10)


class X11Session:
    """One display plus a temporary program directory holding a copy of the built program."""

    def __init__(self, binary=None):
        self.binary = binary or os.environ["QUILLBROOK_BINARY"]
        self.display = XvfbDisplay()
        self.root = tempfile.mkdtemp(prefix="quillbrook-system-")
        self.program_dir = os.path.join(self.root, "program")
        self.home = os.path.join(self.root, "home")
        os.makedirs(self.program_dir)
        os.makedirs(self.home)
        self.program = os.path.join(self.program_dir, "quillbrook")
        shutil.copy2(self.binary, self.program)
        self.settings_path = os.path.join(self.program_dir, "quillbrook.ini")
        self.processes = []

    def close(self):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
                process.wait()
            if process.stdout:
                process.stdout.close()
        self.display.close()
        shutil.rmtree(self.root, ignore_errors=True)

    def env(self, extra=None):
        env = dict(os.environ)
        env.update({"DISPLAY": self.display.name, "QT_QPA_PLATFORM": "xcb", "HOME": self.home,
                    "XDG_CONFIG_HOME": os.path.join(self.home, ".config"),
                    "XDG_RUNTIME_DIR": self.home})
        env.update(extra or {})
        return env

    def start(self, *args, cwd=None, extra_env=None):
        process = subprocess.Popen([self.program, *args], cwd=cwd or self.root,
                                   env=self.env(extra_env), stdout=subprocess.PIPE,
                                   stderr=subprocess.STDOUT)
        self.processes.append(process)
        return process

    def run_tool(self, *args, check=True):
        result = subprocess.run(list(args), env=self.env(), capture_output=True, text=True,
                                timeout=30)
        if check and result.returncode != 0:
            raise AssertionError(f"{args[0]} failed: {result.stderr}")
        return result.stdout

    def find_window(self, title, timeout=10.0):
        """Id of the visible window whose title is exactly `title`."""
        pattern = "^" + re.escape(title) + "$"

        def search():
            out = self.run_tool("xdotool", "search", "--onlyvisible", "--name", pattern,
                                check=False)
            ids = [int(line) for line in out.split()]
            return ids[0] if ids else None

        return wait_for(search, timeout, what=f"window {title!r}")

    def geometry(self, window):
        """(left, top, width, height) of a window, in root coordinates."""
        out = self.run_tool("xwininfo", "-id", str(window))

        def field(name):
            return int(re.search(rf"{name}:\s+(-?\d+)", out).group(1))

        return (field("Absolute upper-left X"), field("Absolute upper-left Y"), field("Width"),
                field("Height"))

    def send_close_request(self, window):
        """What a window manager sends for the system close command: WM_DELETE_WINDOW."""
        xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XInternAtom.restype = ctypes.c_ulong
        xlib.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        xlib.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                                    ctypes.c_void_p]
        xlib.XFlush.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                        ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                        ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                        ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

        class Event(ctypes.Union):
            _fields_ = [("xclient", ClientMessage), ("pad", ctypes.c_long * 24)]

        display = xlib.XOpenDisplay(self.display.name.encode())
        if not display:
            raise RuntimeError("cannot open display")
        try:
            event = Event()
            event.xclient.type = 33  # ClientMessage
            event.xclient.window = window
            event.xclient.message_type = xlib.XInternAtom(display, b"WM_PROTOCOLS", 0)
            event.xclient.format = 32
            event.xclient.data[0] = xlib.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
            xlib.XSendEvent(display, window, 0, 0, ctypes.byref(event))
            xlib.XFlush(display)
        finally:
            xlib.XCloseDisplay(display)


def read_ini(path):
    """Sections and keys of a settings file, in file order, as a list of (section, [(key, value)])."""
    sections = []
    with open(path, encoding="latin-1") as file:
        for line in file.read().splitlines():
            if line.startswith("["):
                sections.append((line.strip()[1:-1], []))
            elif "=" in line and sections:
                key, value = line.split("=", 1)
                sections[-1][1].append((key, value))
    return sections


def read_bytes(path):
    with open(path, "rb") as file:
        return file.read()
