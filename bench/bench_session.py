"""bench_session.py: what the whole-program benches share: the built program on a private X display
with avrdude's stand-in beside it, readings of a process from /proc, and the summary of samples."""

import ctypes
import ctypes.util
import os
import select
import shutil
import stat
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "system"))

from x11_session import X11Session, wait_for  # noqa: E402  (the path is set just above)

PROGRAM_TITLE = "Quillbrook"
REFERENCE_TITLE = "Minimal window"
RECORD_VARIABLE = "QUILLBROOK_BENCH_START_RECORD"
# The program's two fixed delays between a write of the HEX file and avrdude's start.
FIXED_DELAYS_MS = 2000 + 100
# After avrdude's last output: the quiet time, then the time "Done" stays.
QUIET_AND_DONE_HOLD_S = 2.0 + 2.0
STATUS_PICTURE = (20, 20)  # a point of the status picture, in client coordinates
WINDOW_FRAME = 1


def percentile(samples, fraction):
    """Linear interpolation between the closest ranks, as the C++ benches take it."""
    ordered = sorted(samples)
    rank = fraction * (len(ordered) - 1)
    below = int(rank)
    above = min(below + 1, len(ordered) - 1)
    return ordered[below] + (ordered[above] - ordered[below]) * (rank - below)


def summary(samples):
    return f"median={percentile(samples, 0.5):.1f} p95={percentile(samples, 0.95):.1f}"


class Build:
    """The programs of one build directory that the benches run."""

    def __init__(self, build_dir):
        build_dir = os.path.abspath(build_dir)  # the programs run in directories of their own
        self.program = os.path.join(build_dir, "quillbrook")
        self.start_recorder = os.path.join(build_dir, "bench", "start_recorder")
        self.reference_flasher = os.path.join(build_dir, "bench", "reference_flasher")
        self.minimal_window = os.path.join(build_dir, "bench", "minimal_window")
        for path in (self.program, self.start_recorder, self.reference_flasher,
                     self.minimal_window):
            if not os.access(path, os.X_OK):
                raise SystemExit(f"missing {path}: build the bench_programs target first")


def build_from_arguments():
    if len(sys.argv) != 2:
        raise SystemExit(f"usage: {os.path.basename(sys.argv[0])} BUILD_DIRECTORY")
    return Build(sys.argv[1])


class BenchSession(X11Session):
    """A copy of the program in a fresh directory on a private display, with the stand-in for
    avrdude in the program's directory (where it is looked for first), a HEX file in a directory
    of its own and a settings file for one board type, no log."""

    def __init__(self, build, auto_mode=1):
        super().__init__(build.program)
        self.build = build
        avrdude = os.path.join(self.program_dir, "avrdude")
        shutil.copy2(build.start_recorder, avrdude)
        os.chmod(avrdude, os.stat(avrdude).st_mode | stat.S_IXUSR)
        self.hex_dir = os.path.join(self.root, "hex")
        os.makedirs(self.hex_dir)
        self.hex_path = os.path.join(self.hex_dir, "blink.hex")
        self.write_hex()
        self.program_record = os.path.join(self.root, "program.starts")
        with open(self.settings_path, "w") as file:
            file.write(f"[init]\nauto={auto_mode}\nconsol=0\ntype=Uno\n\n[Uno]\n"
                       "avrdude_param=-c arduino -p m328p -P %1 -b 115200 -U flash:w:\"%2\":i\n"
                       f"hex_file_path={self.hex_path}\n")

    def write_hex(self):
        """Writes the HEX file the way a compiler does (truncate, write, close); returns the
        CLOCK_MONOTONIC moment just before, in nanoseconds."""
        content = ":100000000C9435000C945D000C945D000C945D0024\n" * 64 + ":00000001FF\n"
        before = time.clock_gettime_ns(time.CLOCK_MONOTONIC)
        with open(self.hex_path, "w") as file:
            file.write(content)
        return before

    def start_program(self):
        process = subprocess.Popen([self.program], cwd=self.root,
                                   env=self.env({RECORD_VARIABLE: self.program_record}),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def start_minimal_window(self):
        process = subprocess.Popen([self.build.minimal_window], cwd=self.root, env=self.env(),
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(process)
        return process

    def click_status_picture(self, window):
        left, top, _, _ = self.geometry(window)
        x = left + WINDOW_FRAME + STATUS_PICTURE[0]
        y = top + WINDOW_FRAME + STATUS_PICTURE[1]
        self.run_tool("xdotool", "mousemove", str(x), str(y), "click", "1")

    def park_pointer(self):
        """Off every window, so that no hint appears and nothing follows the pointer."""
        self.run_tool("xdotool", "mousemove", "1023", "767")


def read_starts(path):
    """The CLOCK_MONOTONIC start moments (ns) the stand-in recorded, in order."""
    try:
        with open(path) as file:
            return [int(line) for line in file.read().split()]
    except FileNotFoundError:
        return []


def wait_for_starts(path, count, timeout=10.0):
    return wait_for(lambda: len(read_starts(path)) >= count and read_starts(path), timeout,
                    interval=0.01, what=f"{count} start(s) of avrdude's stand-in")


class ProcessReadings:
    """What /proc tells of one process: CPU time, wake-ups, threads and resident memory."""

    TICKS_PER_SECOND = os.sysconf("SC_CLK_TCK")

    def __init__(self, pid):
        self.pid = pid

    def cpu_ms(self):
        """User plus system time of the whole process (threads that ended included)."""
        with open(f"/proc/{self.pid}/stat") as file:
            fields = file.read().rsplit(")", 1)[1].split()
        utime, stime = int(fields[11]), int(fields[12])
        return (utime + stime) * 1000.0 / self.TICKS_PER_SECOND

    def wakeups(self):
        """Voluntary context switches summed over the living threads: each is a sleep that
        ended, so an idle program that polls shows here even when its CPU time rounds to 0."""
        total = 0
        for task in os.listdir(f"/proc/{self.pid}/task"):
            try:
                with open(f"/proc/{self.pid}/task/{task}/status") as file:
                    for line in file:
                        if line.startswith("voluntary_ctxt_switches:"):
                            total += int(line.split()[1])
            except FileNotFoundError:
                pass  # the thread ended meanwhile
        return total

    def threads(self):
        return len(os.listdir(f"/proc/{self.pid}/task"))

    def rss_kib(self):
        with open(f"/proc/{self.pid}/status") as file:
            for line in file:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        raise RuntimeError(f"no VmRSS for process {self.pid}")


class _MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("xmap", _MapEvent), ("pad", ctypes.c_long * 24)]


class MapWatch:
    """Tells the moment a top-level window of a given title is mapped, from the X server's own
    MapNotify event. (Polling for the window, as `xdotool search --sync` does every half second,
    would measure the poll.) Open it before the program starts."""

    MAP_NOTIFY = 19
    SUBSTRUCTURE_NOTIFY_MASK = 1 << 19

    def __init__(self, display_name):
        xlib = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        xlib.XConnectionNumber.argtypes = [ctypes.c_void_p]
        xlib.XPending.argtypes = [ctypes.c_void_p]
        xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        xlib.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                    ctypes.POINTER(ctypes.c_char_p)]
        xlib.XFree.argtypes = [ctypes.c_void_p]
        xlib.XFlush.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xlib = xlib
        self.display = xlib.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError(f"cannot open display {display_name}")
        xlib.XSelectInput(self.display, xlib.XDefaultRootWindow(self.display),
                          self.SUBSTRUCTURE_NOTIFY_MASK)
        xlib.XFlush(self.display)

    def close(self):
        self.xlib.XCloseDisplay(self.display)

    def _title(self, window):
        name = ctypes.c_char_p()
        if not self.xlib.XFetchName(self.display, window, ctypes.byref(name)) or not name.value:
            return None
        title = name.value.decode("utf-8", "replace")
        self.xlib.XFree(ctypes.cast(name, ctypes.c_void_p))
        return title

    def wait_for_map(self, title, timeout=20.0):
        """CLOCK_MONOTONIC (ns) of the MapNotify of the first window titled `title`."""
        deadline = time.monotonic() + timeout
        event = _Event()
        connection = self.xlib.XConnectionNumber(self.display)
        while True:
            while self.xlib.XPending(self.display):
                self.xlib.XNextEvent(self.display, ctypes.byref(event))
                mapped = time.clock_gettime_ns(time.CLOCK_MONOTONIC)
                if (event.type == self.MAP_NOTIFY and not event.xmap.override_redirect
                        and self._title(event.xmap.window) == title):
                    return mapped
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError(f"window {title!r} was not mapped")
            select.select([connection], [], [], left)
