#!/usr/bin/env python3
"""Writes the program's 32 x 32 icon: a small tartan woven by the 2/2 twill.

Usage: make_icon.py OUTPUT.ico

The sett is symmetric and repeats twice across the icon; each crossing is
one pixel, the weft showing where the twill row (shifted by one column per
row) says so, the warp elsewhere. The file holds one 32-bit image with an
all-opaque mask. Only the standard library is used.
"""
import struct
import sys

SIZE = 32
# Thread colours (red, green, blue).
COLOURS = {
    "K": (16, 16, 16),      # black
    "G": (0, 96, 48),       # green
    "B": (20, 40, 120),     # blue
    "R": (190, 20, 30),     # red
    "Y": (240, 200, 40),    # yellow
}
# One half of a symmetric sett: (colour, thread count); reflected to 16 threads.
HALF_SETT = [("B", 3), ("K", 2), ("G", 2), ("R", 1)]


def threads():
    half = [colour for colour, count in HALF_SETT for _ in range(count)]
    sett = half + half[::-1]
    return [sett[i % len(sett)] for i in range(SIZE)]


def twill_shows_weft(x, y):
    # 2/2 twill: two over, two under, shifted by one thread per row.
    return ((x + y) % 4) < 2


def pixel_rows():
    warp = threads()
    weft = threads()
    rows = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            letter = weft[y] if twill_shows_weft(x, y) else warp[x]
            if (x == 0 or y == 0 or x == SIZE - 1 or y == SIZE - 1):
                letter = "Y"  # a thin selvedge frame keeps the square readable when small
            row.append(COLOURS[letter])
        rows.append(row)
    return rows


def icon_bytes():
    rows = pixel_rows()
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(rows):  # bottom-up
        for red, green, blue in row:
            colour += bytes((blue, green, red, 255))
    mask_stride = ((SIZE + 31) // 32) * 4
    mask = bytes(mask_stride * SIZE)  # all opaque
    image = header + bytes(colour) + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main():
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())
