#!/usr/bin/env python3
"""Draws resources/tip@2x.png, the progress view's tip: a rounded orange
label 48 x 18 points over a small pointer 2 points high, at scale 2.
Standard library only, through pngwrite."""

import os
import sys

import pngwrite

W, H = 96, 40           # pixels
BODY = 36               # the label's height in pixels; the pointer below
RADIUS = 8
COLOUR = (0xF2, 0x6C, 0x4F)


def inside(x, y):
    if y < BODY:
        cx = min(max(x, RADIUS), W - RADIUS)
        cy = min(max(y, RADIUS), BODY - RADIUS)
        return (x - cx) ** 2 + (y - cy) ** 2 <= RADIUS ** 2
    # The pointer: a triangle under the middle, 8 pixels wide at its base.
    depth = y - BODY
    return abs(x - W / 2) <= 4 * (1 - depth / (H - BODY))


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    pngwrite.write(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "tip@2x.png"), W, H,
                   pngwrite.shape(inside, COLOUR))
