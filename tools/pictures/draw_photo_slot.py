#!/usr/bin/env python3
"""Draws resources/btn6@2x.png, the placeholder of the publish form's photo
slots (70 x 70 points at scale 2): a white square with a grey border and a
grey plus in the middle, saying "add a photo here". Standard library only,
through pngwrite."""

import os

import pngwrite

SIZE = 140
GREY = (0xC8, 0xC8, 0xC8)
WHITE = (0xFF, 0xFF, 0xFF)


def pixel(x, y):
    border = x < 3 or y < 3 or x >= SIZE - 3 or y >= SIZE - 3
    c = SIZE / 2
    plus = (abs(x + 0.5 - c) <= 3 and abs(y + 0.5 - c) <= 24) or (abs(y + 0.5 - c) <= 3 and abs(x + 0.5 - c) <= 24)
    return bytes(GREY if border or plus else WHITE) + b"\xff"


if __name__ == "__main__":
    res = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
    pngwrite.write(os.path.join(res, "btn6@2x.png"), SIZE, SIZE, pixel)
