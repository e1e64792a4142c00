#!/usr/bin/python3
"""Draws Kavolt's icon and pick-mode cursors and writes them into the tree.

    make_art.py          rewrite src/app/kavolt.ico, cursor/set.cur, cursor/reset.cur
    make_art.py --check  exit 1 if the files in the tree differ from what this draws

Only the standard library and IEEE-exact float operations (+ - * / sqrt, no trig) are
used, so the bytes written do not depend on the machine or the Python build.
"""

import argparse
import math
import struct
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
ICON_PATH = "src/app/kavolt.ico"
SET_CURSOR_PATH = "cursor/set.cur"
RESET_CURSOR_PATH = "cursor/reset.cur"

ICON_SIZE = 48
CURSOR_SIZE = 32
SUPERSAMPLE = 8  # samples per pixel edge; shapes are anti-aliased by coverage

# --- shapes: signed distance functions (negative inside, in pixels) -------------------


def length(x, y):
    # sqrt is correctly rounded everywhere; hypot has changed between Python releases.
    return math.sqrt(x * x + y * y)


def rounded_box(cx, cy, hw, hh, r=0.0):
    def sdf(x, y):
        qx = abs(x - cx) - hw + r
        qy = abs(y - cy) - hh + r
        outside = length(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return sdf


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy

    def sdf(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / length2
        t = min(max(t, 0.0), 1.0)
        return length(x - ax - t * dx, y - ay - t * dy) - r

    return sdf


def polygon(points):
    """Convex polygon, points in clockwise order on screen (y down)."""
    edges = list(zip(points, points[1:] + points[:1]))

    def sdf(x, y):
        best = math.inf
        inside = True
        for (ax, ay), (bx, by) in edges:
            ex, ey = bx - ax, by - ay
            px, py = x - ax, y - ay
            t = min(max((px * ex + py * ey) / (ex * ex + ey * ey), 0.0), 1.0)
            best = min(best, length(px - t * ex, py - t * ey))
            if ex * py - ey * px < 0.0:
                inside = False
        return -best if inside else best

    return sdf


def union(*sdfs):
    return lambda x, y: min(f(x, y) for f in sdfs)


class PinFrame:
    """Maps a pin drawn upright (u across, v down the shaft) onto the screen tilted 45
    degrees, head up-right and needle down-left, the way a pushpin sits in a board."""

    K = math.sqrt(0.5)

    def __init__(self, cx, cy, scale):
        self.cx, self.cy, self.scale = cx, cy, scale

    def local(self, x, y):
        dx, dy = x - self.cx, y - self.cy
        return (dx + dy) * self.K / self.scale, (dy - dx) * self.K / self.scale

    def shape(self, local_sdf):
        def sdf(x, y):
            u, v = self.local(x, y)
            return local_sdf(u, v) * self.scale

        return sdf


# --- canvas --------------------------------------------------------------------------


class Canvas:
    """Layers painted in order; each covers where its sdf <= 0 and paints colour(x, y).
    Rendering averages the topmost colour over a grid of samples inside each pixel."""

    def __init__(self, size):
        self.size = size
        self.layers = []
        self.pixels = {}  # (x, y) -> (r, g, b): hard pixels painted over everything

    def fill(self, sdf, colour, grow=0.0):
        paint = colour if callable(colour) else (lambda x, y, c=colour: c)
        self.layers.append((sdf, paint, grow))

    def rect(self, x0, y0, x1, y1, colour):
        """Pixel-exact rectangle covering columns x0..x1-1 and rows y0..y1-1."""
        hw, hh = (x1 - x0) / 2, (y1 - y0) / 2
        self.fill(rounded_box(x0 + hw, y0 + hh, hw, hh), colour)

    def put(self, x, y, colour):
        self.pixels[(x, y)] = colour

    def render(self):
        """Returns rows of (r, g, b, a) floats, colour unpremultiplied, a in 0..1."""
        n = SUPERSAMPLE
        offsets = [(i + 0.5) / n for i in range(n)]
        rows = []
        for py in range(self.size):
            row = []
            for px in range(self.size):
                if (px, py) in self.pixels:
                    row.append(tuple(float(c) for c in self.pixels[(px, py)]) + (1.0,))
                    continue
                # A layer whose edge is farther from the pixel's centre than its
                # half-diagonal cannot reach any of its samples.
                near = [layer for layer in reversed(self.layers)
                        if layer[0](px + 0.5, py + 0.5) <= layer[2] + 0.75]
                r = g = b = 0.0
                hits = 0
                for oy in offsets:
                    for ox in offsets:
                        x, y = px + ox, py + oy
                        for sdf, paint, grow in near:
                            if sdf(x, y) <= grow:
                                cr, cg, cb = paint(x, y)
                                r, g, b = r + cr, g + cg, b + cb
                                hits += 1
                                break
                if hits:
                    row.append((r / hits, g / hits, b / hits, hits / (n * n)))
                else:
                    row.append((0.0, 0.0, 0.0, 0.0))
            rows.append(row)
        return rows


def mix(c1, c2, t):
    t = min(max(t, 0.0), 1.0)
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


# --- artwork -------------------------------------------------------------------------

PIN_RED = (214, 38, 42)
PIN_LIGHT = (255, 140, 130)
PIN_DARK = (128, 14, 20)
PIN_OUTLINE = (64, 8, 12)
NEEDLE = (196, 200, 208)
NEEDLE_DARK = (110, 114, 124)
NEEDLE_OUTLINE = (52, 54, 62)


def draw_pin(canvas, cx, cy, scale, needle_length=8.6, outline=0.9):
    """A red pushpin: cap, waist, collar and a steel needle, lit from the upper left.
    (cx, cy) is the collar's centre; lengths are in pin units, `scale` pixels each."""
    frame = PinFrame(cx, cy, scale)
    cap_w, waist_w, collar_w, needle_w = 4.0, 2.1, 5.0, 0.7  # half widths
    cap = rounded_box(0.0, -5.4, cap_w, 1.8, 1.5)
    waist = rounded_box(0.0, -2.4, waist_w, 1.6, 0.3)
    collar = rounded_box(0.0, 0.2, collar_w, 1.1, 1.0)
    needle = polygon([(-needle_w, 1.0), (needle_w, 1.0), (0.1, needle_length),
                      (-0.1, needle_length)])

    def shaded(half_width, light, base, dark):
        # Lit like a cylinder: a highlight band on the left, shadow toward the right.
        def paint(x, y):
            u, _ = frame.local(x, y)
            t = u / half_width  # -1 at the lit edge, +1 at the shadowed edge
            if t < -0.25:
                return mix(light, base, (t + 1.0) / 0.75)
            return mix(base, dark, (t + 0.25) / 1.25)

        return paint

    steel = frame.shape(needle)
    canvas.fill(steel, NEEDLE_OUTLINE, grow=outline * 0.75)
    canvas.fill(steel, shaded(needle_w, (246, 248, 250), NEEDLE, NEEDLE_DARK))
    canvas.fill(frame.shape(union(cap, waist, collar)), PIN_OUTLINE, grow=outline)
    canvas.fill(frame.shape(waist), shaded(waist_w, PIN_LIGHT, PIN_RED, PIN_DARK))
    canvas.fill(frame.shape(collar), shaded(collar_w, PIN_LIGHT, PIN_RED, PIN_DARK))
    canvas.fill(frame.shape(cap), shaded(cap_w, PIN_LIGHT, PIN_RED, PIN_DARK))
    # A glint on the cap makes it read as glossy plastic even at cursor size.
    canvas.fill(frame.shape(rounded_box(-2.0, -6.0, 0.9, 0.7, 0.7)), (255, 226, 220))


def draw_window(canvas, x0, y0, x1, y1, title_top, title_bottom, client, frame_colour):
    """Frame, gradient title bar and client area; returns the first client row."""
    title_h = 7
    canvas.rect(x0, y0, x1, y1, frame_colour)
    span = max(x1 - x0 - 2, 1)
    canvas.fill(
        rounded_box((x0 + x1) / 2, y0 + 1 + title_h / 2, (x1 - x0 - 2) / 2, title_h / 2),
        lambda x, y: mix(title_top, title_bottom, (x - x0 - 1) / span),
    )
    canvas.rect(x0 + 1, y0 + 1 + title_h, x1 - 1, y0 + 2 + title_h, frame_colour)
    canvas.rect(x0 + 1, y0 + 2 + title_h, x1 - 1, y1 - 1, client)
    return y0 + 2 + title_h


def build_icon_pixels():
    c = Canvas(ICON_SIZE)
    outline = (36, 40, 52)
    glyph = (30, 44, 90)
    # The window left behind: grey and lower down the stack.
    top = draw_window(c, 1, 20, 27, 46, (150, 156, 166), (186, 190, 198),
                      (226, 228, 232), (92, 96, 106))
    for i, w in enumerate((14, 18, 10)):
        c.rect(4, top + 3 + 4 * i, 4 + w, top + 5 + 4 * i, (192, 196, 204))
    # The window kept on top, with its content.
    x0, y0 = 9, 13
    top = draw_window(c, x0, y0, 46, 43, (22, 88, 196), (72, 150, 236),
                      (252, 252, 252), outline)
    for i, w in enumerate((27, 21, 24, 15)):
        c.rect(13, top + 3 + 5 * i, 13 + w, top + 5 + 5 * i, (176, 198, 228))
    # Minimise and close buttons, glyphs pixel by pixel so they stay crisp.
    for bx in (33, 39):
        c.rect(bx, y0 + 2, bx + 5, y0 + 7, (236, 240, 248))
    for x in range(34, 37):
        c.put(x, y0 + 5, glyph)
    for dx, dy in ((0, 0), (2, 0), (1, 1), (0, 2), (2, 2)):
        c.put(40 + dx, y0 + 3 + dy, glyph)
    # The pin, its needle driven into the front window's title bar.
    draw_pin(c, 23.5, 12.0, 1.4, needle_length=6.5, outline=1.1)
    return c.render()


# The classic Windows arrow: B outline, W fill, tip at (0, 0).
ARROW = [
    "B",
    "BB",
    "BWB",
    "BWWB",
    "BWWWB",
    "BWWWWB",
    "BWWWWWB",
    "BWWWWWWB",
    "BWWWWWWWB",
    "BWWWWWWWWB",
    "BWWWWWWWWWB",
    "BWWWWWWBBBBB",
    "BWWWBWWB",
    "BWWBBWWB",
    "BWB  BWWB",
    "BB   BWWB",
    "B     BWWB",
    "      BWWB",
    "       BB",
]
ARROW_TIP = (0, 0)
ARROW_COLOURS = {"B": (0, 0, 0), "W": (255, 255, 255)}


def build_cursor_pixels(struck):
    c = Canvas(CURSOR_SIZE)
    pin_x, pin_y = 21.0, 19.5
    draw_pin(c, pin_x, pin_y, 1.0)
    if struck:
        # A slash drawn like the arrow itself, white edged in black, so it reads on
        # any background and stays apart from the red of the pin.
        mx, my = pin_x + 0.9, pin_y - 0.9
        slash = capsule(mx - 6.4, my - 6.4, mx + 6.4, my + 6.4, 0.7)
        c.fill(slash, (0, 0, 0), grow=0.9)
        c.fill(slash, (255, 255, 255))
    for y, line in enumerate(ARROW):
        for x, ch in enumerate(line):
            if ch in ARROW_COLOURS:
                c.put(ARROW_TIP[0] + x, ARROW_TIP[1] + y, ARROW_COLOURS[ch])
    return c.render()


# --- file formats --------------------------------------------------------------------


def bitmap_header(size, bpp, image_bytes):
    # Icon images store XOR and AND bitmaps stacked, hence the doubled height.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, image_bytes,
                       0, 0, 0, 0)


def and_mask(opaque, size):
    stride = (size + 31) // 32 * 4
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            if not opaque[y][x]:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def directory(kind, size, field_a, field_b, image):
    """ICONDIR plus one entry; field_a/field_b are planes/bit count for an icon and
    the hot spot for a cursor."""
    return struct.pack("<HHH", 0, kind, 1) + struct.pack(
        "<BBBBHHII", size, size, 0, 0, field_a, field_b, len(image), 6 + 16) + image


def median_cut(counts, limit):
    """Reduces {colour: pixel count} to at most `limit` colours; returns the palette."""
    boxes = [sorted(counts.items())]
    while len(boxes) < limit:
        splittable = [b for b in boxes if len(b) > 1]
        if not splittable:
            break

        def spread(box):
            return max(max(c[i] for c, _ in box) - min(c[i] for c, _ in box)
                       for i in range(3))

        box = max(splittable, key=lambda b: (spread(b) * sum(n for _, n in b), b[0][0]))
        boxes.remove(box)
        axis = max(range(3), key=lambda i: (max(c[i] for c, _ in box)
                                            - min(c[i] for c, _ in box), -i))
        box.sort(key=lambda item: (item[0][axis], item[0]))
        half = sum(n for _, n in box) / 2
        seen, cut = 0, 1
        for i, (_, n) in enumerate(box[:-1]):
            seen += n
            cut = i + 1
            if seen >= half:
                break
        boxes += [box[:cut], box[cut:]]
    palette = []
    for box in boxes:
        total = sum(n for _, n in box)
        palette.append(tuple(round(sum(c[i] * n for c, n in box) / total)
                             for i in range(3)))
    return sorted(set(palette))


def encode_icon(pixels):
    size = len(pixels)
    # One bit of transparency: a pixel counts when the shape covers most of it.
    opaque = [[p[3] >= 0.5 for p in row] for row in pixels]
    colours = [[tuple(round(v) for v in p[:3]) for p in row] for row in pixels]
    counts = {}
    for y in range(size):
        for x in range(size):
            if opaque[y][x]:
                counts[colours[y][x]] = counts.get(colours[y][x], 0) + 1
    # Index 0 is black: transparent pixels use it so XOR-ing them leaves the screen as is.
    palette = [(0, 0, 0)] + [c for c in median_cut(counts, 255) if c != (0, 0, 0)]
    lookup = {}

    def index(colour):
        if colour not in lookup:
            lookup[colour] = min(range(len(palette)), key=lambda i: (
                sum((a - b) ** 2 for a, b in zip(colour, palette[i])), i))
        return lookup[colour]

    stride = (size + 3) // 4 * 4
    xor = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            row[x] = index(colours[y][x]) if opaque[y][x] else 0
        xor += row
    mask = and_mask(opaque, size)
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    table += bytes(4 * (256 - len(palette)))
    image = bitmap_header(size, 8, len(xor) + len(mask)) + table + bytes(xor) + mask
    return directory(1, size, 1, 8, image)


def encode_cursor(pixels, hot_spot):
    size = len(pixels)
    # Only fully clear pixels are masked out: where alpha blending is unavailable a
    # soft edge pixel then shows as solid colour instead of XOR-ing the screen.
    opaque = [[round(p[3] * 255) > 0 for p in row] for row in pixels]
    xor = bytearray()
    for row in reversed(pixels):
        for r, g, b, a in row:
            alpha = round(a * 255)
            if alpha == 0:
                xor += bytes(4)
            else:
                xor += struct.pack("<BBBB", round(b), round(g), round(r), alpha)
    mask = and_mask(opaque, size)
    image = bitmap_header(size, 32, len(xor) + len(mask)) + bytes(xor) + mask
    return directory(2, size, hot_spot[0], hot_spot[1], image)


def build_all():
    """Returns {path relative to the repository root: file bytes}."""
    return {
        ICON_PATH: encode_icon(build_icon_pixels()),
        SET_CURSOR_PATH: encode_cursor(build_cursor_pixels(struck=False), ARROW_TIP),
        RESET_CURSOR_PATH: encode_cursor(build_cursor_pixels(struck=True), ARROW_TIP),
    }


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--check", action="store_true",
                        help="compare the files in the tree with freshly drawn ones")
    args = parser.parse_args(argv)
    files = build_all()
    if args.check:
        stale = []
        for rel, data in files.items():
            path = ROOT / rel
            if not path.is_file() or path.read_bytes() != data:
                stale.append(rel)
        for rel in stale:
            print(f"make_art: {rel} does not match scripts/make_art.py; "
                  "run scripts/make_art.py to regenerate it", file=sys.stderr)
        return 1 if stale else 0
    for rel, data in files.items():
        path = ROOT / rel
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        print(f"make_art: wrote {rel} ({len(data)} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
