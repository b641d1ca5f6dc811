#!/usr/bin/env python3
"""Writes the program's icon: a small tartan woven by the 2/2 twill, 32 x 32
and 16 x 16.

Usage: make_icon.py OUTPUT.ico
       make_icon.py --png FOLDER   (each size as FOLDER/<n>x<n>/apps/plaidwick.png,
                                    the layout of a hicolor icon theme)

The sett is symmetric, 16 threads wide: it repeats twice across the large
image and once across the small one; each crossing is one pixel, the weft
showing where the twill row (shifted by one column per row) says so, the
warp elsewhere. The file holds one 32-bit image of each size with an
all-opaque mask. Only the standard library is used.
"""
import os
import struct
import sys
import zlib

SIZES = (32, 16)
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


def threads(size):
    half = [colour for colour, count in HALF_SETT for _ in range(count)]
    sett = half + half[::-1]
    return [sett[i % len(sett)] for i in range(size)]


def twill_shows_weft(x, y):
    # 2/2 twill: two over, two under, shifted by one thread per row.
    return ((x + y) % 4) < 2


def pixel_rows(size):
    warp = threads(size)
    weft = threads(size)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            letter = weft[y] if twill_shows_weft(x, y) else warp[x]
            if (x == 0 or y == 0 or x == size - 1 or y == size - 1):
                letter = "Y"  # a thin selvedge frame keeps the square readable when small
            row.append(COLOURS[letter])
        rows.append(row)
    return rows


def image_bytes(size):
    rows = pixel_rows(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = bytearray()
    for row in reversed(rows):  # bottom-up
        for red, green, blue in row:
            colour += bytes((blue, green, red, 255))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytes(mask_stride * size)  # all opaque
    return header + bytes(colour) + mask


def icon_bytes():
    images = [image_bytes(size) for size in SIZES]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(SIZES, images):
        directory += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return directory + b"".join(images)


def png_bytes(size):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + bytes(c for pixel in row for c in pixel) for row in pixel_rows(size))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def write_pngs(folder):
    for size in SIZES:
        apps = os.path.join(folder, f"{size}x{size}", "apps")
        os.makedirs(apps, exist_ok=True)
        with open(os.path.join(apps, "plaidwick.png"), "wb") as out:
            out.write(png_bytes(size))


def main():
    if len(sys.argv) == 3 and sys.argv[1] == "--png":
        write_pngs(sys.argv[2])
        return 0
    if len(sys.argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(sys.argv[1], "wb") as out:
        out.write(icon_bytes())
    return 0


if __name__ == "__main__":
    sys.exit(main())
