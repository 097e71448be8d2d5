#!/usr/bin/env python3
"""Draws resources/tip@2x.png, the progress view's tip: a rounded orange
label 48 x 18 points over a small pointer 2 points high, at scale 2.
Standard library only (zlib for PNG); edges are smoothed by 4 x 4 supersampling."""

import os
import struct
import sys
import zlib

W, H = 96, 40           # pixels
BODY = 36               # the label's height in pixels; the pointer below
RADIUS = 8
COLOUR = (0xF2, 0x6C, 0x4F)
SAMPLES = 4


def inside(x, y):
    if y < BODY:
        cx = min(max(x, RADIUS), W - RADIUS)
        cy = min(max(y, RADIUS), BODY - RADIUS)
        return (x - cx) ** 2 + (y - cy) ** 2 <= RADIUS ** 2
    # The pointer: a triangle under the middle, 8 pixels wide at its base.
    depth = y - BODY
    return abs(x - W / 2) <= 4 * (1 - depth / (H - BODY))


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
    png(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "tip@2x.png"))
