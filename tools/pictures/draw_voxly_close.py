#!/usr/bin/env python3
"""Draws resources/VoxlySDK.bundle/images/close.png and close@2x.png, the web
authorisation dialog's close button: a dark disc with a white ring and a
white cross, 29 x 29 points. Standard library only (zlib for PNG); edges are
smoothed by 4 x 4 supersampling."""

import math
import os
import struct
import sys
import zlib

POINTS = 29
SAMPLES = 4
DISC = (0x33, 0x33, 0x33)
WHITE = (0xFF, 0xFF, 0xFF)


def sample(x, y):
    """Colour and coverage of one point, in points from the top left."""
    c = POINTS / 2
    r = math.hypot(x - c, y - c)
    outer = POINTS / 2 - 1
    if r > outer:
        return None
    if r > outer - 2:
        return WHITE
    # The cross: two bars 2 points wide along the diagonals, 5 points from the rim.
    u, v = x - c, y - c
    arm = outer - 7
    for a, b in ((u + v, u - v), (u - v, u + v)):
        if abs(a) / math.sqrt(2) <= 1.1 and abs(b) / math.sqrt(2) <= arm:
            return WHITE
    return DISC


def png(path, scale):
    size = POINTS * scale
    rows = []
    for py in range(size):
        row = [b"\0"]
        for px in range(size):
            acc = [0, 0, 0]
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = sample((px + (sx + 0.5) / SAMPLES) / scale, (py + (sy + 0.5) / SAMPLES) / scale)
                    if colour:
                        hits += 1
                        acc = [a + b for a, b in zip(acc, colour)]
            if hits:
                row.append(bytes(round(a / hits) for a in acc) + bytes([round(255 * hits / SAMPLES ** 2)]))
            else:
                row.append(b"\0\0\0\0")
        rows.append(b"".join(row))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
                  + chunk(b"IEND", b""))


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "VoxlySDK.bundle", "images")
    png(os.path.join(folder, "close.png"), 1)
    png(os.path.join(folder, "close@2x.png"), 2)
