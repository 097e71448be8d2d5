#!/usr/bin/env python3
"""Draws the loading spinner picture resources/ico39@2x.png (20 x 20 points
at scale 2): twelve rounded spokes round the middle, their grey fading
round the circle, so a turning copy reads as a spinner. Standard library
only; run it again after changing the drawing."""

import math
import os

import pngwrite

SIZE = 40          # pixels
SAMPLES = pngwrite.SAMPLES
SPOKES = 12
INNER, OUTER, HALF_WIDTH = 8.5, 18.0, 2.2


def coverage(px, py):
    """Alpha (0..1) and the spoke's shade at a sample point."""
    x, y = px - SIZE / 2, py - SIZE / 2
    for k in range(SPOKES):
        a = 2 * math.pi * k / SPOKES
        ux, uy = math.sin(a), -math.cos(a)
        along = x * ux + y * uy
        across = -x * uy + y * ux
        # A capsule from INNER to OUTER along the spoke.
        t = min(max(along, INNER), OUTER)
        if (along - t) ** 2 + across ** 2 <= HALF_WIDTH ** 2:
            return 0.25 + 0.75 * (k + 1) / SPOKES
    return 0.0


def pixel(i, j):
    total = 0.0
    for sj in range(SAMPLES):
        for si in range(SAMPLES):
            total += coverage(i + (si + 0.5) / SAMPLES, j + (sj + 0.5) / SAMPLES)
    return bytes([0x88, 0x88, 0x88, round(255 * total / SAMPLES ** 2)])


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    pngwrite.write(os.path.join(root, "resources", "ico39@2x.png"), SIZE, SIZE, pixel)


if __name__ == "__main__":
    main()
