#!/usr/bin/env python3
"""Draws the home screen's feed-menu arrows beside the title, at scale 2:
resources/ico10@2x.png, the menu closed: a white chevron pointing down;
resources/ico11@2x.png, the menu open: the same chevron pointing up.
12 x 8 points each. Standard library only, through pngwrite."""

import os
import sys

import pngwrite

W, H = 24, 16     # pixels
STROKE = 2.6      # the chevron's line width in pixels
WHITE = (0xFF, 0xFF, 0xFF)


def distance_to_segment(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return ((x - px) ** 2 + (y - py) ** 2) ** 0.5


def chevron(pointing_down):
    top, bottom = 4, 12
    tip = bottom if pointing_down else top
    ends = top if pointing_down else bottom

    def inside(x, y):
        return min(distance_to_segment(x, y, 5, ends, 12, tip),
                   distance_to_segment(x, y, 12, tip, 19, ends)) <= STROKE / 2
    return inside


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    out = sys.argv[1] if len(sys.argv) > 1 else root
    pngwrite.write(os.path.join(out, "ico10@2x.png"), W, H, pngwrite.shape(chevron(True), WHITE))
    pngwrite.write(os.path.join(out, "ico11@2x.png"), W, H, pngwrite.shape(chevron(False), WHITE))
