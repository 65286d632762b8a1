"""status_picture.py: tells which flash state the running program's status picture shows, and
records how that changes over time.

The state's hint text is shown only in a tooltip, which X11 offers no way to read back; the picture
is set in the same step as the hint, so the picture tells the state. It is compared with the
program's own committed pictures (assets/streams/STREAM0..3.gif, every frame of each), decoded here
because Python's standard library reads no GIF.
"""

import ctypes
import os
import threading
import time

STREAMS_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, os.pardir,
                           "assets", "streams")
PICTURE_SIZE = 50
# The picture sits at (-2, -2) in the client area, which starts 1 pixel inside the window's frame:
# picture pixels 2..49 show at window pixels 1..48.
CUT = 2
FRAME = 1
VISIBLE = PICTURE_SIZE - CUT
STATE_NAMES = {0: "No changes", 1: "Changes detected!", 2: "Flashing ...", 3: "Done"}


# --- GIF decoding ---------------------------------------------------------------------------------

def _sub_blocks(data, pos):
    chunks = []
    while data[pos]:
        chunks.append(data[pos + 1:pos + 1 + data[pos]])
        pos += 1 + data[pos]
    return b"".join(chunks), pos + 1


def _lzw_decode(minimum_code_size, data):
    clear = 1 << minimum_code_size
    end = clear + 1
    table = [bytes([i]) for i in range(clear)] + [b"", b""]
    code_size = minimum_code_size + 1
    out = bytearray()
    previous = None
    bits = count = 0
    for byte in data:
        bits |= byte << count
        count += 8
        while count >= code_size:
            code = bits & ((1 << code_size) - 1)
            bits >>= code_size
            count -= code_size
            if code == clear:
                del table[clear + 2:]
                code_size = minimum_code_size + 1
                previous = None
                continue
            if code == end:
                return bytes(out)
            if code < len(table):
                entry = table[code]
                if previous is not None and len(table) < 4096:
                    table.append(previous + entry[:1])
            elif code == len(table) and previous is not None:
                entry = previous + previous[:1]
                table.append(entry)
            else:
                raise ValueError(f"bad LZW code {code}")
            out += entry
            previous = entry
            if len(table) == 1 << code_size and code_size < 12:
                code_size += 1
    return bytes(out)


def _deinterlace(indices, width, height):
    rows = [indices[y * width:(y + 1) * width] for y in range(height)]
    order = [y for start, step in ((0, 8), (4, 8), (2, 4), (1, 2))
             for y in range(start, height, step)]
    placed = [b""] * height
    for row, y in zip(rows, order):
        placed[y] = row
    return b"".join(placed)


def decode_gif(path):
    """The frames of a GIF as the program shows them: each composed over the ones before, as the
    disposal rules say, on a white background; a frame is a bytes object of RGB triples."""
    with open(path, "rb") as file:
        data = file.read()
    if data[:6] not in (b"GIF87a", b"GIF89a"):
        raise ValueError(f"{path} is no GIF")
    width = int.from_bytes(data[6:8], "little")
    height = int.from_bytes(data[8:10], "little")
    packed = data[10]
    pos = 13
    global_palette = b""
    if packed & 0x80:
        size = 3 << ((packed & 7) + 1)
        global_palette, pos = data[pos:pos + size], pos + size
    white = b"\xff\xff\xff"
    canvas = bytearray(white * (width * height))
    frames = []
    control = {"disposal": 0, "transparent": None}
    while pos < len(data) and data[pos] != 0x3B:
        kind = data[pos]
        if kind == 0x21:
            label = data[pos + 1]
            body, pos = _sub_blocks(data, pos + 2)
            if label == 0xF9:
                control = {"disposal": (body[0] >> 2) & 7,
                           "transparent": body[3] if body[0] & 1 else None}
            continue
        if kind != 0x2C:
            raise ValueError(f"{path}: unknown block {kind:#04x} at {pos}")
        left, top, w, h = (int.from_bytes(data[pos + i:pos + i + 2], "little")
                           for i in (1, 3, 5, 7))
        packed = data[pos + 9]
        pos += 10
        palette = global_palette
        if packed & 0x80:
            size = 3 << ((packed & 7) + 1)
            palette, pos = data[pos:pos + size], pos + size
        minimum_code_size = data[pos]
        body, pos = _sub_blocks(data, pos + 1)
        indices = _lzw_decode(minimum_code_size, body)[:w * h]
        if packed & 0x40:
            indices = _deinterlace(indices, w, h)
        before = bytes(canvas)
        for i, index in enumerate(indices):
            x, y = left + i % w, top + i // w
            if index != control["transparent"] and x < width and y < height:
                at = 3 * (y * width + x)
                canvas[at:at + 3] = palette[3 * index:3 * index + 3]
        frames.append(bytes(canvas))
        if control["disposal"] == 2:
            for y in range(top, min(top + h, height)):
                for x in range(left, min(left + w, width)):
                    canvas[3 * (y * width + x):3 * (y * width + x) + 3] = white
        elif control["disposal"] == 3:
            canvas = bytearray(before)
        control = {"disposal": 0, "transparent": None}
    return frames, width


def _visible_part(frame, width):
    """The part of a picture frame that the window shows, as RGB triples row by row."""
    return b"".join(frame[3 * (y * width + CUT):3 * (y * width + width)]
                    for y in range(CUT, CUT + VISIBLE))


def load_state_pictures(directory=STREAMS_DIR):
    """{state: [visible part of each frame]} for the four flash states."""
    pictures = {}
    for state in STATE_NAMES:
        frames, width = decode_gif(os.path.join(directory, f"STREAM{state}.gif"))
        if width != PICTURE_SIZE:
            raise ValueError(f"STREAM{state}.gif is {width} pixels wide")
        pictures[state] = [_visible_part(frame, width) for frame in frames]
    return pictures


def classify(shot, pictures, tolerance=24, allowed_misses=VISIBLE * VISIBLE // 100):
    """The state whose picture `shot` (RGB triples of the visible part) shows, or None when it
    shows none of them (mid-repaint, covered by another window)."""
    for state, frames in pictures.items():
        if shot in frames:
            return state
    best, fewest = None, allowed_misses + 1
    for state, frames in pictures.items():
        for frame in frames:
            misses = sum(1 for i in range(0, len(shot), 3)
                         if max(abs(shot[i + k] - frame[i + k]) for k in range(3)) > tolerance)
            if misses < fewest:
                best, fewest = state, misses
    return best


# --- reading the window ---------------------------------------------------------------------------

class _XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int),
                ("bitmap_pad", ctypes.c_int), ("depth", ctypes.c_int),
                ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int)]


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


def _load_xlib():
    xlib = ctypes.cdll.LoadLibrary("libX11.so.6")
    # The recorder reads on a thread of its own while the test talks to the X server too; Xlib
    # must know before its first use in the process.
    xlib.XInitThreads()
    return xlib


_XLIB = _load_xlib()


class _PictureReader:
    """Reads the status picture's visible pixels straight from the X server."""

    def __init__(self, display_name, window):
        xlib = _XLIB
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XGetImage.restype = ctypes.POINTER(_XImage)
        xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                   ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        xlib.XFree.argtypes = [ctypes.c_void_p]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        xlib.XSetErrorHandler.argtypes = [_ERROR_HANDLER]
        xlib.XSetErrorHandler.restype = ctypes.c_void_p
        # Xlib's own handler ends the process on any error; the window going away while it is
        # watched (the program closing) is no reason to.
        self._ignore_errors = _ERROR_HANDLER(lambda display, event: 0)
        xlib.XSetErrorHandler(self._ignore_errors)
        self._xlib = xlib
        self._window = window
        self._display = xlib.XOpenDisplay(display_name.encode())
        if not self._display:
            raise RuntimeError("cannot open display")

    def read(self):
        """RGB triples of the visible part, or None when the window cannot be read."""
        image = self._xlib.XGetImage(self._display, self._window, FRAME, FRAME, VISIBLE, VISIBLE,
                                     0xFFFFFFFF, 2)  # AllPlanes, ZPixmap
        if not image:
            return None
        try:
            info = image.contents
            if info.bits_per_pixel != 32 or info.byte_order != 0:
                raise RuntimeError("expected a 32-bit little-endian visual")
            raw = ctypes.string_at(info.data, info.bytes_per_line * VISIBLE)
            rows = b"".join(raw[y * info.bytes_per_line:y * info.bytes_per_line + 4 * VISIBLE]
                            for y in range(VISIBLE))
        finally:
            self._xlib.XFree(image.contents.data)
            self._xlib.XFree(image)
        rgb = bytearray(3 * VISIBLE * VISIBLE)
        rgb[0::3], rgb[1::3], rgb[2::3] = rows[2::4], rows[1::4], rows[0::4]
        return bytes(rgb)

    def close(self):
        self._xlib.XCloseDisplay(self._display)


class StatusRecorder:
    """Samples the status picture every `interval` seconds on a thread of its own and keeps each
    change of the shown state with the (monotonic) time it was first seen."""

    def __init__(self, display_name, window, pictures, interval=0.03):
        self._reader = _PictureReader(display_name, window)
        self._pictures = pictures
        self._interval = interval
        self._lock = threading.Lock()
        self._changes = []  # (time, state)
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        try:
            while not self._stop.is_set():
                shot = self._reader.read()
                now = time.monotonic()
                state = classify(shot, self._pictures) if shot is not None else None
                with self._lock:
                    if state is not None and (not self._changes or self._changes[-1][1] != state):
                        self._changes.append((now, state))
                self._stop.wait(self._interval)
        finally:
            self._reader.close()

    def changes(self, since=0.0):
        """The changes seen at or after `since`, as (time, state)."""
        with self._lock:
            return [change for change in self._changes if change[0] >= since]

    def current(self):
        with self._lock:
            return self._changes[-1][1] if self._changes else None

    def close(self):
        self._stop.set()
        self._thread.join(timeout=10)
