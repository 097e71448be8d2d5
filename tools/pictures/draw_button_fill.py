#!/usr/bin/env python3
"""Draws resources/btn4@2x.png, the ground of a category button switched on
or pressed: the accent colour, 4 x 4 points at scale 2, stretched by the
button over its whole face. Standard library only, through pngwrite."""

import os

import pngwrite

SIZE = 8                      # pixels
ACCENT = (240, 161, 141)      # the chooser's accent colour

if __name__ == "__main__":
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    pngwrite.write(os.path.join(res, "btn4@2x.png"), SIZE, SIZE, pngwrite.shape(lambda x, y: True, ACCENT))
