#!/usr/bin/env python3
"""Draws resources/ico61@2x.png, the follow button's mark beside "关注": a
white plus sign 12 x 12 points at scale 2. Standard library only, through
pngwrite."""

import os
import sys

import pngwrite

W = H = 24          # pixels
ARM = 2             # half the stroke width, in pixels
COLOUR = (255, 255, 255)


def inside(x, y):
    c = (W - 1) / 2
    return (abs(x - c) <= ARM and 2 <= y <= H - 3) or (abs(y - c) <= ARM and 2 <= x <= W - 3)


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    pngwrite.write(sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "ico61@2x.png"), W, H,
                   pngwrite.shape(inside, COLOUR))
