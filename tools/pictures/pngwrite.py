"""The one PNG writer of the drawing scripts beside it: 8-bit RGBA, no
filtering, zlib level 9, so that running a script again gives the same bytes.
Standard library only."""

import struct
import zlib

SAMPLES = 4  # per pixel side: shapes are smoothed by 4 x 4 supersampling


def write(path, width, height, pixel):
    """pixel(x, y) answers the four bytes (r, g, b, a) of column x, row y."""
    rows = b"".join(b"\0" + b"".join(pixel(x, y) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def shape(inside, colour):
    """A pixel function for write(): colour, its alpha the share of a pixel's
    sample points where inside(x, y) holds."""
    def pixel(px, py):
        hits = sum(inside(px + (sx + 0.5) / SAMPLES, py + (sy + 0.5) / SAMPLES)
                   for sy in range(SAMPLES) for sx in range(SAMPLES))
        return bytes(colour) + bytes([round(255 * hits / SAMPLES ** 2)])
    return pixel
