#!/usr/bin/env python3
"""Draws the feed documents' small icons at scale 2: resources/ico33@2x.png
(the tag mark before a category or tag, and an unselected tag in the tag
strip, 14 x 14 points: a grey tag with a hole), ico36@2x.png (like, not liked: a grey heart outline, 18 x 18
points) and ico40@2x.png (liked: the same heart filled red). Standard
library only, through pngwrite."""

import os

import pngwrite

GREY = (0x99, 0x99, 0x99)
RED = (0xE8, 0x3A, 0x3A)


def heart(x, y, size):
    """Inside the heart curve scaled into a size x size square."""
    u = (x / size - 0.5) * 2.6
    v = (0.52 - y / size) * 2.6
    return (u * u + v * v - 1) ** 3 - u * u * v ** 3 <= 0


def heart_outline(x, y, size):
    if not heart(x, y, size):
        return False
    # Inside the outer curve but not the one shrunk around its middle.
    c = size / 2
    k = 1.22
    return not heart(c + (x - c) * k, c + (y - c) * k, size)


def tag(x, y, size):
    # A rounded label whose left end is a point, with a round hole.
    s = size
    if x < s * 0.35:
        if abs(y - s / 2) > (x - s * 0.05) * 0.9:
            return False
    elif not (s * 0.18 <= y <= s * 0.82 and x <= s * 0.95):
        return False
    return (x - s * 0.33) ** 2 + (y - s / 2) ** 2 > (s * 0.08) ** 2


if __name__ == "__main__":
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    for name, size, inside, colour in (("ico33@2x.png", 28, tag, GREY), ("ico36@2x.png", 36, heart_outline, GREY),
                                       ("ico40@2x.png", 36, heart, RED)):
        pngwrite.write(os.path.join(res, name), size, size,
                       pngwrite.shape(lambda x, y, inside=inside, size=size: inside(x, y, size), colour))
