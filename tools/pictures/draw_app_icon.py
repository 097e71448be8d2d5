#!/usr/bin/env python3
"""Draws the application's icon, resources/Icon.png (57 x 57 pixels) and
resources/Icon@2x.png (114 x 114): a white coin with a yen sign on the
application's orange, on a square with rounded corners. Peer apps show it
beside our name when we register with them or ask them to sign us in.
Standard library only, through pngwrite; edges are smoothed by 4 x 4 supersampling."""

import os
import sys

import pngwrite
from pngwrite import SAMPLES

POINTS = 57
ORANGE = (0xF2, 0x6C, 0x4F)
WHITE = (0xFF, 0xFF, 0xFF)


def colour_at(x, y):
    """(r, g, b) or None (transparent) at a point given in points."""
    # The rounded square: corners of radius 10.
    r = 10
    cx, cy = min(max(x, r), POINTS - r), min(max(y, r), POINTS - r)
    if (x - cx) ** 2 + (y - cy) ** 2 > r * r:
        return None
    c = POINTS / 2
    d2 = (x - c) ** 2 + (y - c) ** 2
    if d2 > 21 ** 2:
        return ORANGE
    if d2 > 18.5 ** 2:
        return WHITE
    if d2 > 17 ** 2:
        return ORANGE  # a thin ring inside the coin's rim
    # The yen sign: two arms meeting at the centre, a stem and two bars.
    u, v = x - c, y - c
    arms = -13 <= v <= 1 and abs(abs(u) + v * 0.62) <= 1.9 * 1.18
    stem = 0 <= v <= 12 and abs(u) <= 1.9
    bars = abs(u) <= 7.5 and (abs(v - 2) <= 1.3 or abs(v - 6.5) <= 1.3)
    return ORANGE if arms or stem or bars else WHITE


def png(path, scale):
    size = POINTS * scale

    def pixel(px, py):
        acc = [0, 0, 0]
        hits = 0
        for sy in range(SAMPLES):
            for sx in range(SAMPLES):
                colour = colour_at((px + (sx + 0.5) / SAMPLES) / scale, (py + (sy + 0.5) / SAMPLES) / scale)
                if colour:
                    hits += 1
                    acc = [a + b for a, b in zip(acc, colour)]
        if not hits:
            return b"\0\0\0\0"
        return bytes(round(a / hits) for a in acc) + bytes([round(255 * hits / SAMPLES ** 2)])

    pngwrite.write(path, size, size, pixel)


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources")
    png(os.path.join(folder, "Icon.png"), 1)
    png(os.path.join(folder, "Icon@2x.png"), 2)
