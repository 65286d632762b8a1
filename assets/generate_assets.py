#!/usr/bin/python3
# generate_assets.py: draws Quillbrook's pictures; needs Debian's /usr/bin/python3 with python3-pil.
"""Draws the button pictures, the program icon and the status pictures, checks them and draws
their contact sheet.

Needs fonts-dejavu-core besides python3-pil. Run it from anywhere:
it writes into the folder it lives in (bitmaps/, icons/, streams/) and the contact sheet into
the project's docs/. The output is committed; the build does not run this. Running it again
gives byte-identical files. `--check` only checks the files already written.

Every picture is drawn SUPERSAMPLE times larger and reduced with a box filter, so that each
pixel gets exactly the share of the shape that covers it: soft edges without the ringing of
sharper filters. Coordinates in the drawing functions are in final pixels (floats); pixel
(i, j) covers the square from (i, j) to (i + 1, j + 1).
"""

import io
import math
import struct
import sys
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw, ImageFont

HERE = Path(__file__).resolve().parent
DOCS = HERE.parent / "docs"
FONT_DIR = Path("/usr/share/fonts/truetype/dejavu")
BOLD_FONT = FONT_DIR / "DejaVuSans-Bold.ttf"
LABEL_FONT = FONT_DIR / "DejaVuSans.ttf"

SUPERSAMPLE = 8
WHITE = (255, 255, 255)

# Button tints: normal, mouse-over, pressed.
TINTS = {"normal": (200, 200, 200), "hover": (140, 140, 140), "pressed": (128, 211, 247)}

RED = (222, 28, 24)
RED_GLOW = (255, 196, 190)
RED_CORE = (255, 170, 150)
GREEN = (34, 170, 52)
ICON_GREEN = (52, 190, 60)
ICON_GREEN_EDGE = (18, 104, 28)

GREY_CHIP = {
    "top": (138, 138, 142),
    "side_lit": (104, 104, 108),
    "side_dark": (78, 78, 82),
    "pin_top": (206, 206, 210),
    "pin_side": (158, 158, 164),
    "mark": (104, 104, 108),
}
BLACK_CHIP = {
    "top": (38, 38, 42),
    "side_lit": (22, 22, 25),
    "side_dark": (10, 10, 12),
    "pin_top": (196, 198, 206),
    "pin_side": (128, 130, 140),
    "mark": (78, 78, 84),
}

STATUS_SIZE = 50
STATUS_CUT = 2  # the window shows the status picture without its top two rows and left two columns
FLASH_FRAMES, FLASH_FRAME_MS = 5, 200


# --- drawing surface --------------------------------------------------------------------------


class Canvas:
    """A supersampled drawing surface addressed in final-pixel units."""

    def __init__(self, width, height, mode, background):
        self.width, self.height = width, height
        self.image = Image.new(mode, (width * SUPERSAMPLE, height * SUPERSAMPLE), background)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def _px(point):
        # PIL fills a fine pixel when its centre is inside; fine pixel k has its centre at
        # (k + 0.5) / SUPERSAMPLE in final units.
        return (point[0] * SUPERSAMPLE - 0.5, point[1] * SUPERSAMPLE - 0.5)

    def polygon(self, points, fill, grow=0.0):
        """Fills a polygon; `grow` widens it on every side by that distance, corners rounded."""
        self.draw.polygon([self._px(p) for p in points], fill=fill)
        if grow > 0:
            for a, b in zip(points, points[1:] + points[:1]):
                self.segment(a, b, 2 * grow, fill)

    def disc(self, centre, radius, fill):
        if radius <= 0:
            return
        x, y = self._px(centre)
        r = radius * SUPERSAMPLE
        self.draw.ellipse([x - r, y - r, x + r, y + r], fill=fill)

    def segment(self, a, b, width, fill, round_caps=True, end_width=None):
        """A straight stroke, `width` wide at a and `end_width` (default: the same) at b."""
        end_width = width if end_width is None else end_width
        dx, dy = b[0] - a[0], b[1] - a[1]
        length = math.hypot(dx, dy)
        if length == 0:
            return
        nx, ny = -dy / length, dx / length
        ha, hb = width / 2, end_width / 2
        self.polygon(
            [
                (a[0] + nx * ha, a[1] + ny * ha),
                (b[0] + nx * hb, b[1] + ny * hb),
                (b[0] - nx * hb, b[1] - ny * hb),
                (a[0] - nx * ha, a[1] - ny * ha),
            ],
            fill,
        )
        if round_caps:
            self.disc(a, ha, fill)
            self.disc(b, hb, fill)

    def polyline(self, points, width, fill, round_caps=True):
        """A stroke through several points with round joins."""
        for a, b in zip(points, points[1:]):
            self.segment(a, b, width, fill, round_caps=False)
        for p in points[1:-1]:
            self.disc(p, width / 2, fill)
        if round_caps:
            self.disc(points[0], width / 2, fill)
            self.disc(points[-1], width / 2, fill)

    def arc(self, centre, radius, start_deg, end_deg, width, fill):
        """A circular stroke, angles clockwise from three o'clock as on screen."""
        steps = max(8, int(abs(end_deg - start_deg) / 3))
        angles = [start_deg + (end_deg - start_deg) * i / steps for i in range(steps + 1)]
        self.polyline([on_circle(centre, radius, a) for a in angles], width, fill, round_caps=False)

    def frame(self, corner, opposite, radius, width, fill):
        """The outline of a rounded rectangle, `width` thick inside the given corners."""
        self.draw.rounded_rectangle(
            [self._px(corner), self._px(opposite)],
            radius=radius * SUPERSAMPLE,
            outline=fill,
            width=round(width * SUPERSAMPLE),
        )

    def text(self, centre, text, height, fill):
        """`text` in DejaVu Sans Bold, its capitals `height` high, its ink centred on `centre`."""
        size = round(height * SUPERSAMPLE / 0.729)  # DejaVu's cap height is 0.729 em
        font = ImageFont.truetype(str(BOLD_FONT), size)
        left, top, right, bottom = self.draw.textbbox((0, 0), text, font=font)
        cx, cy = self._px(centre)
        origin = (cx - (left + right) / 2, cy - (top + bottom) / 2)
        self.draw.text(origin, text, font=font, fill=fill)

    def result(self):
        return self.image.reduce(SUPERSAMPLE)


def on_circle(centre, radius, angle_deg):
    a = math.radians(angle_deg)
    return (centre[0] + radius * math.cos(a), centre[1] + radius * math.sin(a))


# --- button motifs (coverage masks on a 20x20 grid) ---------------------------------------------

BUTTON = 20
INK, ERASE = 255, 0


def motif_close(c):
    c.segment((5, 5), (15, 15), 2.6, INK, round_caps=False)
    c.segment((15, 5), (5, 15), 2.6, INK, round_caps=False)


def motif_gear(c):
    centre, teeth = (10, 10), 8
    outer, root = 8.6, 6.4
    points = []
    for i in range(teeth):
        base = 360 / teeth * i
        # A tooth is a trapezoid: wide at the root, narrower at the tip.
        for angle, radius in ((-15, root), (-9, outer), (9, outer), (15, root)):
            points.append(on_circle(centre, radius, base + angle))
    c.polygon(points, INK)
    c.disc(centre, root, INK)
    c.disc(centre, 2.7, ERASE)


def motif_letter(letter):
    def draw(c):
        c.text((10, 10), letter, 13, INK)

    return draw


def console_window(c):
    c.frame((1.8, 3.2), (18.2, 16.8), 1.4, 1.5, INK)
    c.polygon([(1.8, 3.4), (18.2, 3.4), (18.2, 6.4), (1.8, 6.4)], INK)  # title bar
    c.polyline([(5.0, 8.6), (7.8, 11.0), (5.0, 13.4)], 1.6, INK)  # prompt ">"
    c.segment((9.6, 13.6), (14.2, 13.6), 1.6, INK, round_caps=False)  # cursor "_"


def motif_console(c):
    console_window(c)


def motif_console_struck(c):
    console_window(c)
    # A white gap on both sides keeps the stroke apart from the window lines it crosses.
    c.segment((2.5, 18.0), (17.5, 2.0), 4.4, ERASE, round_caps=False)
    c.segment((2.5, 18.0), (17.5, 2.0), 1.8, INK)


def motif_rescan(c):
    centre, radius, head = (10, 10), 6.0, 2.9
    for start in (195, 15):
        end = start + 110
        c.arc(centre, radius, start, end, 2.2, INK)
        # The head sits across the arc's end and points on along the circle, clockwise.
        c.polygon(
            [
                on_circle(centre, radius - head, end),
                on_circle(centre, radius + head, end),
                on_circle(centre, radius, end + 38),
            ],
            INK,
        )


def motif_plus(c):
    c.polygon([(8.5, 3.5), (11.5, 3.5), (11.5, 16.5), (8.5, 16.5)], INK)
    c.polygon([(3.5, 8.5), (16.5, 8.5), (16.5, 11.5), (3.5, 11.5)], INK)


# Button name, its three picture numbers (normal, mouse-over, pressed) and its motif.
BUTTONS = [
    ("Close", (0, 1, 2), motif_close),
    ("Options", (3, 4, 5), motif_gear),
    ("Auto flash", (7, 8, 9), motif_letter("A")),
    ("Manual flash", (10, 11, 12), motif_letter("M")),
    ("Log shown", (13, 14, 15), motif_console),
    ("No log", (16, 17, 18), motif_console_struck),
    ("Rescan ports", (19, 20, 21), motif_rescan),
    ("Add type", (23, 24, 25), motif_plus),
]


def button_mask(motif):
    c = Canvas(BUTTON, BUTTON, "L", ERASE)
    motif(c)
    return c.result()


def tinted(mask, tint):
    """The motif in `tint` over white, its coverage giving the soft edges."""
    ink = Image.new("RGB", mask.size, tint)
    return Image.composite(ink, Image.new("RGB", mask.size, WHITE), mask)


# --- the chip: a small 3D model seen from above and in front, projected in perspective -----------


def _box(x0, x1, y0, y1, z0, z1):
    """The six faces of an axis-aligned box, each as (outward normal, corners)."""
    return [
        ((0, 0, 1), [(x0, y0, z1), (x1, y0, z1), (x1, y1, z1), (x0, y1, z1)]),
        ((0, 0, -1), [(x0, y0, z0), (x0, y1, z0), (x1, y1, z0), (x1, y0, z0)]),
        ((-1, 0, 0), [(x0, y0, z0), (x0, y0, z1), (x0, y1, z1), (x0, y1, z0)]),
        ((1, 0, 0), [(x1, y0, z0), (x1, y1, z0), (x1, y1, z1), (x1, y0, z1)]),
        ((0, -1, 0), [(x0, y0, z0), (x1, y0, z0), (x1, y0, z1), (x0, y0, z1)]),
        ((0, 1, 0), [(x0, y1, z0), (x0, y1, z1), (x1, y1, z1), (x1, y1, z0)]),
    ]


class ChipView:
    """The camera on the chip: turned by `yaw` degrees, looked at from `elevation` degrees up."""

    def __init__(self, yaw=-28.0, elevation=52.0, distance=7.0):
        self.cos_yaw, self.sin_yaw = math.cos(math.radians(yaw)), math.sin(math.radians(yaw))
        el = math.radians(elevation)
        self.forward = (0.0, math.cos(el), -math.sin(el))
        self.up = (0.0, math.sin(el), math.cos(el))
        self.camera = tuple(-distance * f for f in self.forward)

    def turn(self, v):
        x, y, z = v
        return (x * self.cos_yaw - y * self.sin_yaw, x * self.sin_yaw + y * self.cos_yaw, z)

    def project(self, p):
        x, y, z = self.turn(p)
        v = (x - self.camera[0], y - self.camera[1], z - self.camera[2])
        depth = sum(a * b for a, b in zip(v, self.forward))
        return (x - self.camera[0]) / depth, -sum(a * b for a, b in zip(v, self.up)) / depth

    def faces_camera(self, normal, point):
        n, p = self.turn(normal), self.turn(point)
        return sum(a * (c - b) for a, b, c in zip(n, p, self.camera)) > 0

    def depth(self, point):
        p = self.turn(point)
        return sum((a - c) * f for a, c, f in zip(p, self.camera, self.forward))


def chip_faces(pins_per_side, view, pin_one_mark=True):
    """The chip's visible faces in painting order, each as (colour role, projected corners)."""
    half, height = 1.0, 0.34
    # Fewer pins are drawn wider, so that the small icon sizes keep them apart and visible.
    pin_width, pin_reach, pin_z = min(0.2, 0.75 / pins_per_side), 0.36, (0.06, 0.15)
    # Light comes from the right: of the two sides in view, the one turned most that way is lit.
    lit_side = max(((1, 0, 0), (-1, 0, 0), (0, 1, 0), (0, -1, 0)), key=lambda n: view.turn(n)[0])

    def visible(box, body):
        out = []
        for normal, corners in box:
            if not view.faces_camera(normal, corners[0]):
                continue
            if normal[2] == 1:
                role = "top" if body else "pin_top"
            elif body:
                role = "side_lit" if normal == lit_side else "side_dark"
            else:
                role = "pin_side"
            out.append((role, [view.project(p) for p in corners]))
        return out

    # Pins on a side whose body face is out of view lie behind the body, the others in front
    # of it, so the body is painted between the two groups.
    body = _box(-half, half, -half, half, 0.0, height)
    behind, in_front = [], []
    offsets = [(-0.62 + 1.24 * i / (pins_per_side - 1)) for i in range(pins_per_side)]
    for side in ((1, 0), (-1, 0), (0, 1), (0, -1)):
        body_face_normal = (side[0], side[1], 0)
        seen = view.faces_camera(body_face_normal, (side[0] * half, side[1] * half, 0))
        for t in offsets:
            if side[0]:
                x0, x1 = sorted((side[0] * half, side[0] * (half + pin_reach)))
                box = _box(x0, x1, t - pin_width / 2, t + pin_width / 2, *pin_z)
                centre = (side[0] * (half + pin_reach / 2), t, 0)
            else:
                y0, y1 = sorted((side[1] * half, side[1] * (half + pin_reach)))
                box = _box(t - pin_width / 2, t + pin_width / 2, y0, y1, *pin_z)
                centre = (t, side[1] * (half + pin_reach / 2), 0)
            (in_front if seen else behind).append((view.depth(centre), box))

    faces = []
    for _, box in sorted(behind, key=lambda item: -item[0]):
        faces += visible(box, body=False)
    faces += visible(body, body=True)
    for _, box in sorted(in_front, key=lambda item: -item[0]):
        faces += visible(box, body=False)
    if pin_one_mark:
        mark = [
            (-0.62 + 0.16 * math.cos(a), -0.62 + 0.16 * math.sin(a), height)
            for a in (2 * math.pi * i / 24 for i in range(24))
        ]
        faces.append(("mark", [view.project(p) for p in mark]))
    return faces


def draw_chip(c, box, colours, pins_per_side, pin_one_mark=True):
    """Draws the chip fitted into box = (left, top, right, bottom), centred."""
    faces = chip_faces(pins_per_side, ChipView(), pin_one_mark)
    xs = [x for _, pts in faces for x, _ in pts]
    ys = [y for _, pts in faces for _, y in pts]
    width, height = max(xs) - min(xs), max(ys) - min(ys)
    scale = min((box[2] - box[0]) / width, (box[3] - box[1]) / height)
    ox = (box[0] + box[2]) / 2 - scale * (min(xs) + max(xs)) / 2
    oy = (box[1] + box[3]) / 2 - scale * (min(ys) + max(ys)) / 2
    for role, pts in faces:
        c.polygon([(ox + scale * x, oy + scale * y) for x, y in pts], colours[role])


# --- overlays shared by the icon and the status pictures ------------------------------------------


def check_mark(c, points, width, fill, edge, edge_fill):
    c.polyline(points, width + 2 * edge, edge_fill)
    c.polyline(points, width, fill)


def exclamation_mark(c, top, bottom, dot_radius, width, fill, halo):
    """A bar narrowing downwards with a dot below it, inside a white edge `halo` wide."""
    bar_end = (top[0], bottom - 3.1 * dot_radius)
    dot = (top[0], bottom - dot_radius)
    for grow, colour in ((halo, WHITE), (0.0, fill)):
        c.segment(top, bar_end, width + 2 * grow, colour, end_width=0.55 * width + 2 * grow)
        c.disc(dot, dot_radius + grow, colour)


# The bolt drawn upright: v runs from its top (0) to its tip (1), u across it, both in units
# of its length. Three slanted bands, each stepping out where the next begins, give the zigzag.
# fmt: off
BOLT_OUTLINE = [
    (-0.10, 0.00), (0.14, 0.00), (0.03, 0.36), (0.19, 0.36), (0.04, 0.68), (0.15, 0.68),
    (-0.05, 1.00), (-0.03, 0.76), (-0.15, 0.76), (-0.03, 0.44), (-0.17, 0.44),
]
# fmt: on
BOLT_SLIMNESS = 0.75  # the outline above is widened or narrowed across by this factor


def lightning_bolt(c, start, tip, glow):
    """The bolt from `start` down to `tip`, with a white edge or a red glow around it."""
    dx, dy = tip[0] - start[0], tip[1] - start[1]
    length = math.hypot(dx, dy)
    along, across = (dx / length, dy / length), (-dy / length, dx / length)
    points = [
        (
            start[0] + length * (v * along[0] + BOLT_SLIMNESS * u * across[0]),
            start[1] + length * (v * along[1] + BOLT_SLIMNESS * u * across[1]),
        )
        for u, v in BOLT_OUTLINE
    ]
    c.polygon(points, RED_GLOW if glow else WHITE, grow=1.8 if glow else 1.0)
    c.polygon(points, RED)


def star(c, centre, spikes, outer, inner, phase_deg, fill):
    points = [
        on_circle(centre, outer if i % 2 == 0 else inner, phase_deg + 180 * i / spikes)
        for i in range(2 * spikes)
    ]
    c.polygon(points, fill)


# --- the program icon ----------------------------------------------------------------------------

ICON_SIZES = (48, 32, 24, 16)


def icon(size):
    c = Canvas(size, size, "RGBA", (0, 0, 0, 0))
    s = size / 48  # the icon is laid out on a 48 grid and scaled
    pins = 5 if size >= 48 else 4 if size >= 32 else 3
    draw_chip(c, (0.5 * s, 17 * s, 47.5 * s, 47.5 * s), BLACK_CHIP, pins, pin_one_mark=size >= 32)
    # Strokes do not shrink below what still shows at 16 pixels.
    check = [(10 * s, 15 * s), (19 * s, 24 * s), (39 * s, 5.5 * s)]
    check_mark(c, check, max(2.6, 6.6 * s), ICON_GREEN, max(1.0, 1.8 * s), ICON_GREEN_EDGE)
    return c.result()


# --- the status pictures -------------------------------------------------------------------------

STATUS_CHIP_BOX = (6, 12, 48, 47)


def status_canvas():
    c = Canvas(STATUS_SIZE, STATUS_SIZE, "RGB", WHITE)
    draw_chip(c, STATUS_CHIP_BOX, GREY_CHIP, 4)
    return c


def stream_no_changes():
    return [status_canvas().result()]


def stream_changes_detected():
    c = status_canvas()
    exclamation_mark(c, (27, 9.5), 45, 3.4, 7.6, RED, halo=1.6)
    return [c.result()]


def stream_flashing():
    # Burst per frame: outer and inner radius and turn, so that it flares up and settles. The
    # last two frames show only the bolt, the first of them still glowing: two equal frames
    # would be merged into one by the GIF writer.
    bursts = [(6.5, 2.8, 0), (12.5, 4.6, 12), (9.5, 3.8, 24), None, None]
    start, strike = (10.5, 7.5), (26.0, 28.5)
    frames = []
    for i, burst in enumerate(bursts):
        c = status_canvas()
        lightning_bolt(c, start, strike, glow=i < len(bursts) - 1)
        if burst:
            outer, inner, turn = burst
            star(c, strike, 9, outer + 1.4, inner + 1.4, turn, WHITE)
            star(c, strike, 9, outer, inner, turn, RED)
            star(c, strike, 9, outer * 0.45, inner * 0.5, turn + 10, RED_CORE)
        frames.append(c.result())
    return frames


def stream_done():
    c = status_canvas()
    check_mark(c, [(14, 26), (23, 36), (42, 10)], 6.6, GREEN, 1.6, WHITE)
    return [c.result()]


STREAMS = [
    ("STREAM0", "No changes", stream_no_changes),
    ("STREAM1", "Changes detected!", stream_changes_detected),
    ("STREAM2", "Flashing ...", stream_flashing),
    ("STREAM3", "Done", stream_done),
]


def shared_palette(frames):
    """Quantizes all frames to one 256-colour palette with white at index 0.

    Returns the frames as palette images sharing that palette, and the palette as 768 bytes.
    The entries the pictures do not use are filled with distinct colours, because the GIF
    writer matches palette entries by colour and would reshuffle duplicates.
    """
    strip = Image.new("RGB", (STATUS_SIZE * len(frames), STATUS_SIZE), WHITE)
    for i, frame in enumerate(frames):
        strip.paste(frame, (i * STATUS_SIZE, 0))
    quantized = strip.quantize(256, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    flat = quantized.getpalette()[: 3 * 256]
    used = sorted(index for _, index in quantized.getcolors(256))
    colours = {i: tuple(flat[3 * i : 3 * i + 3]) for i in used}
    white = min(used, key=lambda i: sum(255 - v for v in colours[i]))
    order = [white] + [i for i in used if i != white]
    palette = [colours[i] for i in order]
    taken = set(palette)
    filler = ((k, k, 0) for k in range(256))  # olive shades, which the pictures hardly use
    while len(palette) < 256:
        colour = next(filler)
        if colour not in taken:
            palette.append(colour)
            taken.add(colour)
    lut = [0] * 256
    for new, old in enumerate(order):
        lut[old] = new
    remapped = Image.frombytes("P", strip.size, bytes(lut[b] for b in quantized.tobytes()))
    palette_bytes = bytes(v for colour in palette for v in colour)
    remapped.putpalette(palette_bytes)
    boxes = [(i * STATUS_SIZE, 0, (i + 1) * STATUS_SIZE, STATUS_SIZE) for i in range(len(frames))]
    return [remapped.crop(box) for box in boxes], palette_bytes


def write_gif(path, frames):
    """Writes the frames as a GIF89a; returns them as they look after quantizing."""
    indexed, palette = shared_palette(frames)
    if len(indexed) == 1:
        # A comment is a GIF89a feature, so the writer states that version even for a still.
        indexed[0].save(path, "GIF", palette=palette, interlace=False, comment=b"Quillbrook")
    else:
        indexed[0].save(
            path,
            "GIF",
            save_all=True,
            append_images=indexed[1:],
            palette=palette,
            interlace=False,
            duration=FLASH_FRAME_MS,
            loop=0,
            disposal=1,
        )
    return [f.convert("RGB") for f in indexed]


# --- checks on the written files ------------------------------------------------------------------


class CheckError(Exception):
    pass


def require(condition, message):
    if not condition:
        raise CheckError(message)


def parse_gif(data):
    """Reads a GIF's block structure: header, global palette, loop count and per-frame records."""
    require(data[:6] == b"GIF89a", "not GIF89a")
    width, height, packed, background, _ = struct.unpack("<HHBBB", data[6:13])
    info = {"size": (width, height), "background": background, "loop": None, "frames": []}
    info["global_colours"] = 2 ** ((packed & 7) + 1) if packed & 0x80 else 0
    pos = 13 + 3 * info["global_colours"]
    control = None

    def sub_blocks(pos):
        chunks = []
        while data[pos]:
            chunks.append(data[pos + 1 : pos + 1 + data[pos]])
            pos += 1 + data[pos]
        return chunks, pos + 1

    while True:
        require(pos < len(data), "no trailer")
        kind = data[pos]
        if kind == 0x3B:
            require(pos == len(data) - 1, "bytes after the trailer")
            return info
        if kind == 0x21:
            label = data[pos + 1]
            chunks, pos = sub_blocks(pos + 2)
            if label == 0xF9:
                packed, delay, _ = struct.unpack("<BHB", chunks[0])
                control = {"disposal": (packed >> 2) & 7, "delay": delay}
            elif label == 0xFF and chunks[0] == b"NETSCAPE2.0":
                info["loop"] = struct.unpack("<H", chunks[1][1:3])[0]
        elif kind == 0x2C:
            left, top, w, h, packed = struct.unpack("<HHHHB", data[pos + 1 : pos + 10])
            local = 2 ** ((packed & 7) + 1) if packed & 0x80 else 0
            pos += 10 + 3 * local + 1  # the LZW code size follows the optional local palette
            _, pos = sub_blocks(pos)
            frame = {"rect": (left, top, w, h), "local_colours": local}
            frame.update(control or {"disposal": 0, "delay": 0})
            info["frames"].append(frame)
            control = None
        else:
            raise CheckError(f"unknown block 0x{kind:02x} at {pos}")


def decoded_frames(path):
    """The frames of a GIF as a viewer shows them, each composed over the ones before."""
    with Image.open(path) as im:
        frames = []
        for i in range(getattr(im, "n_frames", 1)):
            im.seek(i)
            frames.append(im.convert("RGB"))
        return frames


def check_status_picture(path, frame_count, expected=None):
    """Checks a status picture's bytes and, decoded, its frames; returns the decoded frames."""
    name, full = path.name, (0, 0, STATUS_SIZE, STATUS_SIZE)
    info = parse_gif(path.read_bytes())
    require(info["size"] == full[2:], f"{name}: size {info['size']}")
    require(info["global_colours"] == 256, f"{name}: global palette of {info['global_colours']}")
    require(info["background"] == 0, f"{name}: background index {info['background']}")
    require(len(info["frames"]) == frame_count, f"{name}: {len(info['frames'])} frames")
    require(all(f["local_colours"] == 0 for f in info["frames"]), f"{name}: local palette")
    require(info["frames"][0]["rect"] == full, f"{name}: first frame {info['frames'][0]['rect']}")
    if frame_count > 1:
        require(info["loop"] == 0, f"{name}: loop count {info['loop']}")
        for f in info["frames"]:
            require(f["delay"] == FLASH_FRAME_MS // 10, f"{name}: delay {f['delay']}")
            require(f["disposal"] == 1, f"{name}: disposal {f['disposal']}")
    with Image.open(path) as im:
        require(im.getpalette()[:3] == list(WHITE), f"{name}: palette entry 0 is not white")

    frames = decoded_frames(path)
    require(len(frames) == frame_count, f"{name}: decoder sees {len(frames)} frames")
    for i, frame in enumerate(frames):
        if expected is not None:
            require(frame.tobytes() == expected[i].tobytes(), f"{name}: frame {i} decodes wrong")
        if i > 0:
            # A later frame covers exactly the rectangle in which it differs from the one before.
            left, top, w, h = info["frames"][i]["rect"]
            changed = ImageChops.difference(frames[i - 1], frame).getbbox()
            rect = (left, top, left + w, top + h)
            require(changed == rect, f"{name}: frame {i} covers {rect}, changes {changed}")
        # The window cuts off two rows and columns at the top and left; one more stays blank so
        # that nothing touches the visible edge, and so do the bottom row and the right column.
        margin, last = STATUS_CUT + 1, STATUS_SIZE - 1
        blank = [(0, 0, STATUS_SIZE, margin), (0, 0, margin, STATUS_SIZE)]
        blank += [(0, last, STATUS_SIZE, STATUS_SIZE), (last, 0, STATUS_SIZE, STATUS_SIZE)]
        for box in blank:
            strip = frame.crop(box)
            require(strip.getcolors() == [(strip.width * strip.height, WHITE)],
                    f"{name}: frame {i} is not blank in {box}")
    return frames


def check_button(path, tint):
    """A button picture is 20x20 RGB: white, the tint, and blends of the two at the edges."""
    with Image.open(path) as im:
        require(im.format == "PNG" and im.mode == "RGB", f"{path.name}: {im.format} {im.mode}")
        require(im.size == (BUTTON, BUTTON), f"{path.name}: size {im.size}")
        pixels = list(im.getdata())
    require(pixels[0] == WHITE and pixels[-1] == WHITE, f"{path.name}: background not white")
    require(tint in pixels, f"{path.name}: motif never reaches its full colour")
    # Every pixel lies between white and the tint: the motif has one colour and soft edges.
    span = [255 - c for c in tint]
    k = span.index(max(span))
    for p in pixels:
        coverage = (255 - p[k]) / span[k]
        blend = [255 - coverage * s for s in span]
        require(
            all(abs(v - b) <= 1 for v, b in zip(p, blend)),
            f"{path.name}: pixel {p} is not a blend of white and {tint}",
        )
    soft = sum(1 for p in pixels if p != WHITE and p != tint)
    require(soft > 0, f"{path.name}: hard edges")


def parse_ico(data):
    """Reads an icon file's directory: per image its size, bit depth and stored bytes."""
    reserved, kind, count = struct.unpack("<HHH", data[:6])
    require(reserved == 0 and kind == 1, "not an icon file")
    entries = []
    for i in range(count):
        entry = data[6 + 16 * i : 22 + 16 * i]
        w, h, _, _, _, bits, length, offset = struct.unpack("<BBBBHHII", entry)
        size = (w or 256, h or 256)
        entries.append({"size": size, "bits": bits, "data": data[offset : offset + length]})
    return entries


def check_icons():
    entries = parse_ico((HERE / "icons" / "ICON0.ico").read_bytes())
    require(sorted(e["size"][0] for e in entries) == sorted(ICON_SIZES), "ICON0.ico: sizes")
    for e in entries:
        size = e["size"][0]
        name = f"icon_{size}.png"
        require(e["bits"] == 32, f"ICON0.ico: {size} px has {e['bits']} bits per pixel")
        with Image.open(io.BytesIO(e["data"])) as inside, Image.open(HERE / "icons" / name) as png:
            shape = (png.mode, png.size)
            require(shape == ("RGBA", (size, size)), f"{name}: {shape}")
            same = inside.convert("RGBA").tobytes() == png.tobytes()
            require(same, f"ICON0.ico: its {size} px image differs from {name}")
            alpha = png.getchannel("A")
            require(alpha.getpixel((0, 0)) == 0, f"{name}: corner not transparent")
            require(alpha.getextrema()[1] == 255, f"{name}: nothing opaque")
            colours = png.getcolors(size * size)
        opaque = [(n, (r, g, b)) for n, (r, g, b, a) in colours if a > 128]
        green = sum(n for n, (r, g, b) in opaque if g > r + 60 and g > b + 60)
        black = sum(n for n, (r, g, b) in opaque if max(r, g, b) < 50)
        require(green > size and black > size, f"{name}: check mark or chip missing")


def check_all(expected_streams=None):
    for _, numbers, _ in BUTTONS:
        for number, tint in zip(numbers, TINTS.values()):
            check_button(HERE / "bitmaps" / f"BITMAP{number}.png", tint)
    streams = {}
    for name, _, _ in STREAMS:
        count = FLASH_FRAMES if name == "STREAM2" else 1
        expected = expected_streams[name] if expected_streams else None
        streams[name] = check_status_picture(HERE / "streams" / f"{name}.gif", count, expected)
    check_icons()
    return streams


# --- contact sheet -----------------------------------------------------------------------------

SHEET_ZOOM = 4
PAD = 16


def label_font(size):
    return ImageFont.truetype(str(LABEL_FONT), size)


def checkerboard(size, cell=8):
    board = Image.new("RGB", size, (236, 236, 236))
    d = ImageDraw.Draw(board)
    for y in range(0, size[1], cell):
        for x in range(0, size[0], cell):
            if (x // cell + y // cell) % 2:
                d.rectangle([x, y, x + cell - 1, y + cell - 1], fill=(206, 206, 206))
    return board


def zoomed(im):
    big = im.resize((im.width * SHEET_ZOOM, im.height * SHEET_ZOOM), Image.Resampling.NEAREST)
    if big.mode == "RGBA":
        base = checkerboard(big.size).convert("RGBA")
        base.alpha_composite(big)
        big = base.convert("RGB")
    return big


def caption(draw, pos, text, size=12):
    draw.text(pos, text, font=label_font(size), fill=(40, 40, 40) if size < 15 else (0, 0, 0))


def tile(sheet, draw, im, pos, text, shade_cut=False):
    """Pastes `im` at 4x with a thin border and `text` below it; returns the pasted size."""
    big = zoomed(im)
    if shade_cut:
        # Grey wash over the rows and columns the window never shows.
        wash = Image.new("RGB", big.size, (170, 170, 170))
        mask = Image.new("L", big.size, 0)
        cut = STATUS_CUT * SHEET_ZOOM
        ImageDraw.Draw(mask).rectangle([0, 0, big.width, cut - 1], fill=110)
        ImageDraw.Draw(mask).rectangle([0, 0, cut - 1, big.height], fill=110)
        big = Image.composite(wash, big, mask)
    sheet.paste(big, pos)
    x, y = pos
    draw.rectangle([x - 1, y - 1, x + big.width, y + big.height], outline=(180, 180, 180))
    caption(draw, (x, y + big.height + 4), text)
    return big.size


def contact_sheet(buttons, icons, streams):
    sheet = Image.new("RGB", (1160, 2000), WHITE)  # cropped to what is used at the end
    draw = ImageDraw.Draw(sheet)
    caption(draw, (PAD, PAD), "Quillbrook pictures, 4x nearest neighbour (1x beside)", 18)

    # Buttons: two columns of four, each button's three tints side by side.
    y0 = PAD + 40
    caption(draw, (PAD, y0), "Buttons: normal / mouse-over / pressed", 15)
    for k, (title, numbers, _) in enumerate(BUTTONS):
        col, row = divmod(k, 4)
        x, y = PAD + col * 570, y0 + 30 + row * 128
        caption(draw, (x, y + 30), title, 14)
        for j, number in enumerate(numbers):
            tile(sheet, draw, buttons[number], (x + 120 + j * 100, y), f"BITMAP{number}")
            sheet.paste(buttons[number], (x + 430 + j * 26, y + 30))

    # The icon on a checkerboard, which shows its transparency.
    y1 = y0 + 30 + 4 * 128 + 10
    caption(draw, (PAD, y1), "Program icon ICON0 (icon_48/32/24/16.png)", 15)
    x = PAD
    for size in ICON_SIZES:
        w, _ = tile(sheet, draw, icons[size], (x, y1 + 30), f"icon_{size}")
        x += w + 30
    for size in ICON_SIZES:
        small = checkerboard((size, size), 4).convert("RGBA")
        small.alpha_composite(icons[size])
        sheet.paste(small.convert("RGB"), (x, y1 + 30))
        x += size + 12

    # Status pictures; STREAM2's frames as a viewer composes them.
    y2 = y1 + 30 + 48 * SHEET_ZOOM + 40
    title = "Status pictures (grey wash: the two rows and columns the window cuts off)"
    caption(draw, (PAD, y2), title, 15)
    x, y = PAD, y2 + 30
    for name, text, _ in STREAMS:
        if name != "STREAM2":
            tile(sheet, draw, streams[name][0], (x, y), f"{name}  {text}", shade_cut=True)
            sheet.paste(streams[name][0], (x + 215, y))
            x += 290
    y += 230
    for i, frame in enumerate(streams["STREAM2"]):
        text = f"STREAM2 frame {i + 1}/{FLASH_FRAMES}, {FLASH_FRAME_MS} ms"
        tile(sheet, draw, frame, (PAD + i * 225, y), text, shade_cut=True)
        sheet.paste(frame, (PAD + i * 60, y + 230))
    return sheet.crop((0, 0, sheet.width, y + 230 + STATUS_SIZE + PAD))


# --- main -----------------------------------------------------------------------------------------


def generate():
    for folder in ("bitmaps", "icons", "streams"):
        (HERE / folder).mkdir(exist_ok=True)

    buttons = {}
    for _, numbers, motif in BUTTONS:
        mask = button_mask(motif)
        for number, tint in zip(numbers, TINTS.values()):
            buttons[number] = tinted(mask, tint)
            buttons[number].save(HERE / "bitmaps" / f"BITMAP{number}.png", optimize=True)

    icons = {size: icon(size) for size in ICON_SIZES}
    for size, im in icons.items():
        im.save(HERE / "icons" / f"icon_{size}.png", optimize=True)
    icons[48].save(
        HERE / "icons" / "ICON0.ico",
        "ICO",
        sizes=[(s, s) for s in ICON_SIZES],
        append_images=[icons[s] for s in ICON_SIZES[1:]],
    )

    expected = {}
    for name, _, draw in STREAMS:
        expected[name] = write_gif(HERE / "streams" / f"{name}.gif", draw())

    streams = check_all(expected)
    DOCS.mkdir(exist_ok=True)
    contact_sheet(buttons, icons, streams).save(DOCS / "assets-contact-sheet.png", optimize=True)


def main(argv):
    try:
        if argv[1:] == ["--check"]:
            check_all()
        elif argv[1:]:
            print(f"usage: {argv[0]} [--check]", file=sys.stderr)
            return 2
        else:
            generate()
    except CheckError as e:
        print(f"generate_assets: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
