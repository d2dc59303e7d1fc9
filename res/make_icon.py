#!/usr/bin/env python3
"""Draws Velnorid's icon and writes res/velnorid.ico: 16, 32 and 48 pixels,
16 colours each (small, and all the program needs).

The picture is the program itself in miniature: a dark panel with a green
received graph, an orange sent graph and a cyan average line. At 16 pixels the
lines are one pixel wide and run without gaps, so the shape stays clear.
"""
import os
import struct

# Palette (R, G, B): index 0 unused (transparent through the mask).
PALETTE = [(0, 0, 0), (0x36, 0x36, 0x36), (0x64, 0xFF, 0x32), (0x64, 0xC8, 0xFF), (0xFF, 0xFF, 0x00),
           (0x20, 0x20, 0x20), (0xF0, 0xF0, 0xF0)] + [(0, 0, 0)] * 9
BACK, RECV, SENT, AVERAGE, EDGE, GUIDE = 1, 2, 3, 4, 5, 6

# The two graphs as heights between 0 (bottom) and 1 (top), sampled across the width.
RECV_SHAPE = [0.15, 0.35, 0.25, 0.6, 0.45, 0.85, 0.55, 0.7]
SENT_SHAPE = [0.05, 0.1, 0.2, 0.15, 0.3, 0.2, 0.25, 0.35]


def height_at(shape, t):
    """Linear interpolation of a shape at t in [0, 1]."""
    x = t * (len(shape) - 1)
    i = min(int(x), len(shape) - 2)
    return shape[i] + (shape[i + 1] - shape[i]) * (x - i)


def draw(size):
    px = [[BACK] * size for _ in range(size)]
    margin = max(1, size // 16)
    for i in range(size):  # a dark edge frames the panel
        px[0][i] = px[size - 1][i] = px[i][0] = px[i][size - 1] = EDGE
    bottom, top = size - 1 - margin, margin + size // 8
    average_y = bottom - round(0.4 * (bottom - top))
    for x in range(margin, size - margin):
        px[average_y][x] = AVERAGE
    if size >= 32:
        for x in range(margin, size - margin, 2):
            px[top][x] = GUIDE

    def plot(shape, colour):
        previous = None
        for x in range(margin, size - margin):
            t = (x - margin) / max(1, size - 2 * margin - 1)
            y = bottom - round(height_at(shape, t) * (bottom - top))
            lo, hi = (y, y) if previous is None else (min(y, previous), max(y, previous))
            for yy in range(lo, hi + 1):  # join steps so the line has no gaps
                px[yy][x] = colour
            if size >= 48:
                px[y - 1][x] = colour
            previous = y
    plot(SENT_SHAPE, SENT)
    plot(RECV_SHAPE, RECV)
    return px


def bitmap(size):
    """A 4-bit icon image: header, palette, XOR pixels bottom-up, AND mask."""
    px = draw(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    row_bytes = (size // 2 + 3) & ~3
    xor = b""
    for row in reversed(px):
        data = bytes((row[x] << 4) | row[x + 1] for x in range(0, size, 2))
        xor += data + b"\0" * (row_bytes - len(data))
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # every pixel opaque
    return header + palette + xor + mask


def main():
    sizes = [16, 32, 48]
    images = [bitmap(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "velnorid.ico")
    with open(path, "wb") as f:
        f.write(out)
    print(f"{path}: {len(out)} bytes")


if __name__ == "__main__":
    main()
