#!/usr/bin/env python3
"""Draws the demo skin's images (skins/default/images/*.png) with the standard library only.

Run it from anywhere; it rewrites the PNG files beside the skin, which are committed:
    python3 samples/tools/make_images.py
"""
import math
import os
import struct
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "skins", "default", "images")


def write_png(path, width, height, pixel):
    """pixel(x, y) -> (r, g, b, a); writes an 8-bit RGBA PNG."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            rows.extend(bytes(max(0, min(255, int(round(c)))) for c in pixel(x, y)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + \
        chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(len(a)))


def segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def logo(x, y):
    """A 24x24 blue disc with a white V; transparent outside the disc."""
    cx = cy = 11.5
    r = math.hypot(x - cx, y - cy)
    cover = max(0.0, min(1.0, 11.5 - r))  # one pixel of soft edge
    base = mix((74, 144, 255), (32, 84, 200), y / 23.0)
    d = min(segment_distance(x, y, 6, 7, 11.5, 17), segment_distance(x, y, 17, 7, 11.5, 17))
    ink = max(0.0, min(1.0, 2.2 - d))
    r_, g_, b_ = mix(base, (255, 255, 255), ink)
    return (r_, g_, b_, 255 * cover)


def banner(x, y):
    """A 256x64 diagonal gradient with soft stripes, drawn stretched."""
    t = (x / 255.0) * 0.8 + (y / 63.0) * 0.2
    base = mix((45, 108, 223), (106, 63, 208), t)
    stripe = 0.5 + 0.5 * math.sin((x + y * 2) / 9.0)
    return mix(base, (255, 255, 255), 0.08 * stripe) + (255,)


def dots(x, y):
    """An 8x8 tile: one soft dot, drawn tiled as a separator strip."""
    d = math.hypot(x - 3.5, y - 3.5)
    a = max(0.0, min(1.0, 2.5 - d))
    return (120, 160, 220, 255 * a)


def grip(x, y):
    """A 16x16 size grip: three diagonal rows of soft dots in the bottom-right corner."""
    a = 0.0
    for cx, cy in ((13, 13), (9, 13), (13, 9), (5, 13), (9, 9), (13, 5)):
        a = max(a, max(0.0, min(1.0, 1.9 - math.hypot(x - cx, y - cy))))
    return (159, 179, 200, 255 * a)


def close_glyph(x, y):
    """A 16x16 white cross, drawn on the title bar's close button."""
    d = min(segment_distance(x, y, 4, 4, 11, 11), segment_distance(x, y, 11, 4, 4, 11))
    return (255, 255, 255, 255 * max(0.0, min(1.0, 1.6 - d)))


BUTTON_WIDTH, BUTTON_HEIGHT = 112, 32


def rounded_box(fill_top, fill_bottom, border, width=BUTTON_WIDTH, height=BUTTON_HEIGHT,
                radius=5.0):
    """A rounded rectangle with a one-pixel border and a vertical gradient: a drawn button's
    picture at the button's own size, behind its caption."""
    def pixel(x, y):
        # Distance outside the rounded rectangle inset by the radius (negative inside).
        cx = min(max(x + 0.5, radius), width - radius)
        cy = min(max(y + 0.5, radius), height - radius)
        d = math.hypot(x + 0.5 - cx, y + 0.5 - cy) - radius
        cover = max(0.0, min(1.0, 0.5 - d))
        edge = max(0.0, min(1.0, d + 1.5))  # the outermost pixel ring is the border
        fill = mix(fill_top, fill_bottom, y / (height - 1.0))
        r, g, b = mix(fill, border, edge)
        return (r, g, b, 255 * cover)
    return pixel


# Drawn button states: (file, gradient top, gradient bottom, border).
BUTTON_STATES = (
    ("button.png", (250, 251, 253), (222, 229, 239), (150, 170, 196)),
    ("button-hover.png", (255, 255, 255), (228, 238, 255), (45, 108, 223)),
    ("button-down.png", (196, 213, 240), (220, 231, 248), (31, 79, 168)),
    ("button-disabled.png", (226, 230, 235), (226, 230, 235), (184, 192, 203)),
    ("button-checked.png", (200, 220, 255), (176, 202, 247), (45, 108, 223)),
    ("button-checked-hover.png", (214, 230, 255), (190, 213, 250), (31, 79, 168)),
)


def pin_glyph(x, y):
    """A 16x16 pin: a round head on a short needle, drawn beside a button's caption."""
    head = max(0.0, min(1.0, 4.6 - math.hypot(x - 8, y - 6)))
    needle = max(0.0, min(1.0, 1.4 - segment_distance(x, y, 8, 8, 8, 15)))
    a = max(head, needle * 0.9)
    r, g, b = mix((45, 108, 223), (31, 42, 54), needle * (1 - head))
    return (r, g, b, 255 * a)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_png(os.path.join(OUT, "logo.png"), 24, 24, logo)
    write_png(os.path.join(OUT, "banner.png"), 256, 64, banner)
    write_png(os.path.join(OUT, "dots.png"), 8, 8, dots)
    write_png(os.path.join(OUT, "grip.png"), 16, 16, grip)
    write_png(os.path.join(OUT, "close.png"), 16, 16, close_glyph)
    for name, top, bottom, border in BUTTON_STATES:
        write_png(os.path.join(OUT, name), BUTTON_WIDTH, BUTTON_HEIGHT,
                  rounded_box(top, bottom, border))
    write_png(os.path.join(OUT, "pin.png"), 16, 16, pin_glyph)


if __name__ == "__main__":
    main()
