#!/usr/bin/env python3
"""Draws samples/sample.png: a 640 x 400 scene of our own (sky, sun, hills, a lake and a
grid of coloured tiles) that shows what the distortion does to edges, gradients and colour.
Only the standard library is used, so anyone can regenerate it."""
import math
import os
import struct
import zlib

WIDTH, HEIGHT = 640, 400


def pixel(x, y):
    # Sky: a vertical gradient from deep blue to warm orange near the horizon.
    t = y / (HEIGHT * 0.6)
    r, g, b = 40 + 200 * t, 80 + 110 * t, 170 - 60 * t
    # Sun with a soft halo.
    d = math.hypot(x - 470, y - 110)
    if d < 46:
        r, g, b = 255, 236, 150
    elif d < 90:
        k = (90 - d) / 44
        r, g, b = r + (255 - r) * k * 0.6, g + (220 - g) * k * 0.6, b + (120 - b) * k * 0.6
    # Hills.
    hill = HEIGHT * 0.6 - 40 * math.sin(x / 70.0) - 25 * math.sin(x / 23.0 + 1.3)
    if y > hill:
        shade = 0.75 + 0.25 * math.sin(x / 9.0) * math.sin(y / 7.0)
        r, g, b = 50 * shade, 130 * shade, 60 * shade
    # Lake with stripes of reflection.
    if y > HEIGHT * 0.78:
        stripe = 0.5 + 0.5 * math.sin(y * 0.9)
        r, g, b = 30 + 60 * stripe, 90 + 60 * stripe, 150 + 70 * stripe
    # A grid of coloured tiles in the lower left, with dark grout lines.
    if x < 200 and y > HEIGHT * 0.62:
        tx, ty = x // 25, y // 25
        if x % 25 < 2 or y % 25 < 2:
            r, g, b = 20, 20, 20
        else:
            hue = (tx * 47 + ty * 91) % 360 / 60.0
            c = 1 - abs(hue % 2 - 1)
            rgb = [(1, c, 0), (c, 1, 0), (0, 1, c), (0, c, 1), (c, 0, 1), (1, 0, c)][int(hue) % 6]
            r, g, b = (55 + 200 * v for v in rgb)
    return bytes(max(0, min(255, int(v))) for v in (r, g, b))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main():
    rows = b"".join(b"\0" + b"".join(pixel(x, y) for x in range(WIDTH)) for y in range(HEIGHT))
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(rows, 9))
    png += chunk(b"IEND", b"")
    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), "sample.png")
    with open(out, "wb") as f:
        f.write(png)


if __name__ == "__main__":
    main()
