#!/usr/bin/env python3
"""Draws resources/ico34@2x.png, the tag strip's mark of a tag switched on: a
price tag 14 x 14 points pointing left, in the strip's selected colour, with
its string hole punched out, at scale 2. Standard library only, through pngwrite."""

import os
import sys

import pngwrite

W = H = 28              # pixels
POINT = 9               # how far the pointed end reaches in, in pixels
TOP, BOTTOM = 4, 24     # the tag's body between these rows
HOLE = (9.5, 14, 2.5)   # centre x, centre y and radius of the hole
COLOUR = (241, 97, 60)


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


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    pngwrite.write(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "ico34@2x.png"), W, H,
                   pngwrite.shape(inside, COLOUR))
