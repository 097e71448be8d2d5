#!/usr/bin/env python3
"""Draws resources/feed_placeholder@2x.png, what a feed row's picture strip
shows until a picture has loaded, or for a post without pictures: a light
grey field with a framed landscape (two hills and a sun) in its middle,
300 x 160 points at scale 2, the strip's own shape, so that filling the strip
neither stretches nor blurs it. Standard library only, through pngwrite."""

import os
import sys

import pngwrite
from pngwrite import SAMPLES

W, H = 600, 320
FIELD = (0xEE, 0xEE, 0xEE)
INK = (0xC8, 0xC8, 0xC8)
FRAME = (230, 110, 370, 210)  # left, top, right, bottom of the framed picture, in pixels
STROKE = 6


def ink(x, y):
    left, top, right, bottom = FRAME
    inside = left <= x <= right and top <= y <= bottom
    if not inside:
        return False
    border = x < left + STROKE or x > right - STROKE or y < top + STROKE or y > bottom - STROKE
    sun = (x - 330) ** 2 + (y - 140) ** 2 <= 14 ** 2
    # Two hills rising from the frame's bottom edge.
    hill1 = y >= bottom - 70 + abs(x - 275) * 1.1
    hill2 = y >= bottom - 45 + abs(x - 335) * 0.9
    return border or sun or hill1 or hill2


def pixel(px, py):
    hits = sum(ink(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
               for sy in range(SAMPLES) for sx in range(SAMPLES))
    share = hits / SAMPLES ** 2
    return bytes(round(f + (i - f) * share) for f, i in zip(FIELD, INK)) + b"\xff"


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    out = sys.argv[1] if len(sys.argv) > 1 else root
    pngwrite.write(os.path.join(out, "feed_placeholder@2x.png"), W, H, pixel)
