#!/usr/bin/env python3
"""Draws the program's 16-colour icons (a magnifying glass over a page) into res/."""
import struct
import sys
from pathlib import Path

# The standard 16-colour palette.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, GREY, SILVER, BLUE, CYAN, WHITE, YELLOW = 0, 4, 8, 7, 12, 14, 15, 11


def draw(size):
    """Returns rows of palette indices, None for transparent."""
    px = [[None] * size for _ in range(size)]
    s = size / 32.0
    # Page.
    for y in range(int(2 * s), int(28 * s)):
        for x in range(int(3 * s), int(22 * s)):
            edge = y in (int(2 * s), int(28 * s) - 1) or x in (int(3 * s), int(22 * s) - 1)
            px[y][x] = GREY if edge else WHITE
    for line in (7, 11, 15):
        for x in range(int(6 * s), int(18 * s)):
            px[int(line * s)][x] = SILVER
    # Lens.
    cx, cy, r = 17 * s, 15 * s, 8.5 * s
    for y in range(size):
        for x in range(size):
            d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
            if d <= r - 2.2 * s:
                px[y][x] = CYAN if (x - cx) + (y - cy) < -2 * s else (BLUE if size > 16 else CYAN)
            elif d <= r:
                px[y][x] = NAVY
    # Handle.
    for i in range(int(9 * s)):
        for w in range(max(2, int(3 * s))):
            x = int(cx + r * 0.7) + i + w // 2
            y = int(cy + r * 0.7) + i - w // 2 + w
            if 0 <= x < size and 0 <= y < size:
                px[y][x] = BLACK if w == 0 else YELLOW
    return px


def dib(size):
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    pal = b"".join(struct.pack("BBBB", b, g, r, 0) for r, g, b in PALETTE)
    xor_rows, and_rows = [], []
    for y in reversed(range(size)):
        row = px[y]
        nib = [(c if c is not None else 0) for c in row]
        xb = bytes((nib[i] << 4) | nib[i + 1] for i in range(0, size, 2))
        xor_rows.append(xb + b"\0" * ((-len(xb)) % 4))
        bits = 0
        ab = bytearray()
        for x in range(size):
            bits = (bits << 1) | (1 if row[x] is None else 0)
            if x % 8 == 7:
                ab.append(bits)
                bits = 0
        and_rows.append(bytes(ab) + b"\0" * ((-len(ab)) % 4))
    return header + pal + b"".join(xor_rows) + b"".join(and_rows)


def ico(sizes):
    images = [dib(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", s, s, 16, 0, 1, 4, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main():
    res = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "res"
    (res / "Quillfind.ico").write_bytes(ico([32, 16]))
    (res / "Tray.ico").write_bytes(ico([16]))


if __name__ == "__main__":
    main()
