#!/usr/bin/env python3
"""Writes the installer's side picture: the icon's tartan woven large.

Usage: make_wizard_image.py OUTPUT.bmp

A 164 x 314 picture (the size the installer's welcome and finish pages
show), 24 bits per pixel, uncompressed. It uses the icon's symmetric sett and
2/2 twill (tools/make_icon.py), each thread THREAD_WIDTH pixels wide, with no
frame. Only the standard library is used.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_icon  # noqa: E402  (the sett, its colours and the twill)

WIDTH, HEIGHT = 164, 314
THREAD_WIDTH = 4


def pixel_rows():
    threads = make_icon.threads(max(WIDTH, HEIGHT) // THREAD_WIDTH + 1)
    rows = []
    for y in range(HEIGHT):
        weft = y // THREAD_WIDTH
        row = []
        for x in range(WIDTH):
            warp = x // THREAD_WIDTH
            letter = threads[weft] if make_icon.twill_shows_weft(warp, weft) else threads[warp]
            row.append(make_icon.COLOURS[letter])
        rows.append(row)
    return rows


def bmp_bytes(rows):
    stride = (WIDTH * 3 + 3) // 4 * 4
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for red, green, blue in row:
            line += bytes((blue, green, red))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return header + info + bytes(pixels)


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(sys.argv[1], "wb") as out:
        out.write(bmp_bytes(pixel_rows()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
