#!/usr/bin/env python3
"""Draws the program's icons (a magnifying glass over a page) into res/:
Quillfind.ico (icon 128) at 16, 20, 24, 32, 48 and 256 pixels and Tray.ico
(icon 129) at 16 to 48, 32-bit with alpha. Each size is drawn at that size:
straight edges fall on whole pixels, the lens and the handle are smoothed."""
import math
import struct
import sys
import zlib
from pathlib import Path

NAVY, GREY, SILVER = (0, 0, 128), (128, 128, 128), (192, 192, 192)
BLUE, CYAN, WHITE, YELLOW, BLACK = (0, 0, 255), (0, 255, 255), (255, 255, 255), (255, 255, 0), (0, 0, 0)
SAMPLES = 4  # per pixel and axis, for the smoothed shapes


def draw(size):
    """Rows of (r, g, b, a), drawn on a 32-unit design scaled to the size."""
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def over(x, y, colour, cover):
        if cover <= 0 or not (0 <= x < size and 0 <= y < size):
            return
        r, g, b, a = px[y][x]
        a_new = cover + a / 255 * (1 - cover)
        mix = [(c * cover + d * a / 255 * (1 - cover)) / a_new for c, d in zip(colour, (r, g, b))]
        px[y][x] = (*(round(c) for c in mix), round(a_new * 255))

    def shape(inside, colour):
        """Covers each pixel by the share of its samples for which inside(x, y) holds."""
        for y in range(size):
            for x in range(size):
                hits = sum(inside(x + (i + 0.5) / SAMPLES, y + (j + 0.5) / SAMPLES)
                           for i in range(SAMPLES) for j in range(SAMPLES))
                over(x, y, colour, hits / SAMPLES ** 2)

    def box(left, top, right, bottom, colour):
        for y in range(top, bottom):
            for x in range(left, right):
                over(x, y, colour, 1)

    # The page, its border and its lines on whole pixels.
    line = max(1, round(s))
    left, top, right, bottom = round(3 * s), round(2 * s), round(22 * s), round(28 * s)
    box(left, top, right, bottom, GREY)
    box(left + line, top + line, right - line, bottom - line, WHITE)
    for row in (7, 11, 15):
        box(round(6 * s), round(row * s), round(18 * s), round(row * s) + line, SILVER)

    # The handle, from the lens's rim down to the right: yellow, edged in black.
    cx, cy, r = 17 * s, 15 * s, 8.5 * s
    x0, y0 = cx + r * 0.7, cy + r * 0.7
    length, half = 9 * math.sqrt(2) * s, max(1.3, 1.6 * s)

    def along(x, y):
        u = ((x - x0) + (y - y0)) / math.sqrt(2)
        v = ((x - x0) - (y - y0)) / math.sqrt(2)
        return u, v

    def handle(edge):
        def inside(x, y):
            u, v = along(x, y)
            return -half <= u <= length and abs(v) <= half - edge
        return inside

    shape(handle(0), BLACK)
    shape(handle(max(0.6, 0.45 * s)), YELLOW)

    # The lens: a navy rim around glass with a light upper left.
    rim = max(1.2, 2.2 * s)

    def dist(x, y):
        return math.hypot(x - cx, y - cy)

    shape(lambda x, y: dist(x, y) <= r, NAVY)
    glass = BLUE if size > 16 else CYAN
    shape(lambda x, y: dist(x, y) <= r - rim, glass)
    if glass != CYAN:
        shape(lambda x, y: dist(x, y) <= r - rim and (x - cx) + (y - cy) < -2 * s, CYAN)
    return px


def dib(size):
    """A 32-bit bitmap image: colour rows bottom up, then the 1-bit mask."""
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour, mask = b"", b""
    for row in reversed(px):
        colour += b"".join(struct.pack("BBBB", b, g, r, a) for r, g, b, a in row)
        bits = int("".join("1" if a == 0 else "0" for *_, a in row), 2) << ((-size) % 32)
        mask += bits.to_bytes((size + 31) // 32 * 4, "big")
    return header + colour + mask


def png(size):
    """A PNG image, the form Windows takes for 256 pixels."""
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in draw(size))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico(sizes):
    images = [png(s) if s >= 256 else dib(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s % 256, s % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main():
    res = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "res"
    (res / "Quillfind.ico").write_bytes(ico([16, 20, 24, 32, 48, 256]))
    (res / "Tray.ico").write_bytes(ico([16, 20, 24, 32, 48]))


if __name__ == "__main__":
    main()
