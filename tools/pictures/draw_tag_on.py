#!/usr/bin/env python3
"""Draws resources/ico34@2x.png, the tag strip's mark of a tag switched on: a
price tag 14 x 14 points pointing left, in the strip's selected colour, with
its string hole punched out, at scale 2. Standard library only (zlib for PNG);
edges are smoothed by 4 x 4 supersampling."""

import os
import struct
import sys
import zlib

W = H = 28              # pixels
POINT = 9               # how far the pointed end reaches in, in pixels
TOP, BOTTOM = 4, 24     # the tag's body between these rows
HOLE = (9.5, 14, 2.5)   # centre x, centre y and radius of the hole
COLOUR = (241, 97, 60)
SAMPLES = 4


def inside(x, y):
    if y < TOP or y > BOTTOM or x > W - 1:
        return False
    hx, hy, hr = HOLE
    if (x - hx) ** 2 + (y - hy) ** 2 <= hr ** 2:
        return False
    # Left of POINT the body narrows to a point at mid height.
    half = (BOTTOM - TOP) / 2
    reach = half * min(1.0, (x - 1) / (POINT - 1)) if x < POINT else half
    return abs(y - (TOP + half)) <= reach


def pixel(px, py):
    hits = 0
    for sy in range(SAMPLES):
        for sx in range(SAMPLES):
            if inside(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES):
                hits += 1
    alpha = round(255 * hits / SAMPLES ** 2)
    return bytes(COLOUR) + bytes([alpha])


def png(path):
    rows = b"".join(b"\0" + b"".join(pixel(x, y) for x in range(W)) for y in range(H))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", W, H, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    png(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "ico34@2x.png"))
