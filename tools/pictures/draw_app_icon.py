#!/usr/bin/env python3
"""Draws resources/Icon.png (57 x 57) and resources/Icon@2x.png (114 x 114),
the application's icon as Info.plist's "CFBundleIconFiles" names it (the ZZ
plugin registry carries it): an orange coin with a white ring on a
transparent ground. Standard library only, through pngwrite."""

import os
import sys

import pngwrite

ORANGE = (0xF2, 0x6C, 0x4F)
WHITE = (0xFF, 0xFF, 0xFF)


def icon(side):
    centre = side / 2

    def distance(x, y):
        return ((x - centre) ** 2 + (y - centre) ** 2) ** 0.5

    coin = pngwrite.shape(lambda x, y: distance(x, y) <= side * 0.46, ORANGE)
    ring = pngwrite.shape(lambda x, y: side * 0.28 <= distance(x, y) <= side * 0.34, WHITE)

    def pixel(x, y):
        top = ring(x, y)
        if top[3] == 255:
            return top
        under = coin(x, y)
        if top[3] == 0:
            return under
        share = top[3] / 255
        mixed = bytes(round(WHITE[i] * share + ORANGE[i] * (1 - share)) for i in range(3))
        return mixed + bytes([under[3]])
    return pixel


if __name__ == "__main__":
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources")
    for name, side in (("Icon.png", 57), ("Icon@2x.png", 114)):
        pngwrite.write(os.path.join(folder, name), side, side, icon(side))
