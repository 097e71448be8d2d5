#!/usr/bin/env python3
"""Draws the side menu's two pictures at scale 2:
resources/menu_portrait@2x.png, the portrait shown until the user's own arrives: a
head and shoulders in white over a soft grey disc, 64 x 64 points;
resources/menu_coin@2x.png, the points coin beside the balance: a gold disc with
a darker ring and a raised centre, 16 x 16 points.
Standard library only, through pngwrite; edges are smoothed by 4 x 4 supersampling."""

import os
import sys

import pngwrite
from pngwrite import SAMPLES


def png(path, width, height, colour_at):
    """colour_at(x, y) answers (r, g, b, a) in 0..255 for a point in pixels;
    a pixel's colour is its samples' weighted by their alpha."""
    def pixel(px, py):
        acc = [0, 0, 0, 0]
        for sy in range(SAMPLES):
            for sx in range(SAMPLES):
                r, g, b, a = colour_at(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                acc[0] += r * a
                acc[1] += g * a
                acc[2] += b * a
                acc[3] += a
        alpha = acc[3] / (SAMPLES * SAMPLES)
        rgb = bytes(round(acc[i] / acc[3]) for i in range(3)) if acc[3] else b"\0\0\0"
        return rgb + bytes([round(alpha)])

    pngwrite.write(path, width, height, pixel)


def portrait(x, y):
    c = 64  # centre of the 128-pixel square
    if (x - c) ** 2 + (y - c) ** 2 > 64 ** 2:
        return (0, 0, 0, 0)
    head = (x - c) ** 2 + (y - 50) ** 2 <= 22 ** 2
    # Shoulders: the upper half of an ellipse under the head.
    shoulders = y >= 82 and ((x - c) / 42) ** 2 + ((y - 122) / 40) ** 2 <= 1
    if head or shoulders:
        return (255, 255, 255, 255)
    return (0xB8, 0xAD, 0xA9, 255)


def coin(x, y):
    c = 16  # centre of the 32-pixel square
    d2 = (x - c) ** 2 + (y - c) ** 2
    if d2 > 15 ** 2:
        return (0, 0, 0, 0)
    if d2 > 12 ** 2:
        return (0xD9, 0x8E, 0x04, 255)  # the rim
    if d2 > 10 ** 2:
        return (0xF5, 0xB7, 0x2B, 255)
    if d2 > 8 ** 2:
        return (0xD9, 0x8E, 0x04, 255)  # the inner ring
    return (0xFF, 0xD0, 0x4D, 255)


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    out = sys.argv[1] if len(sys.argv) > 1 else root
    png(os.path.join(out, "menu_portrait@2x.png"), 128, 128, portrait)
    png(os.path.join(out, "menu_coin@2x.png"), 32, 32, coin)
