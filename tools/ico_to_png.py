#!/usr/bin/env python3
"""Writes each image of a Windows icon file as a PNG in a hicolor icon theme
tree: OUT/<w>x<h>/apps/NAME.png.

Usage: ico_to_png.py ICON.ico OUT NAME

Images stored as PNG are copied; 32-bit bitmap images (bottom-up BGRA) are
converted. Only the standard library is used.
"""
import os
import struct
import sys
import zlib


def png(width, height, rgba_rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    raw = b"".join(b"\0" + row for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def images(data):
    """Yields (width, height, PNG bytes) for each image of the icon."""
    _, kind, count = struct.unpack_from("<HHH", data, 0)
    if kind != 1:
        raise ValueError("not an icon file")
    for i in range(count):
        _, _, _, _, _, _, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        image = data[offset:offset + size]
        if image.startswith(b"\x89PNG"):
            width, height = struct.unpack_from(">II", image, 16)
            yield width, height, image
            continue
        header, width, height2, _, bits = struct.unpack_from("<IiiHH", image, 0)
        height = height2 // 2  # the bitmap's height counts the mask too
        if bits != 32:
            raise ValueError("only 32-bit images are converted")
        stride = width * 4
        rows = []
        for y in range(height - 1, -1, -1):  # bottom-up
            row = image[header + y * stride:header + (y + 1) * stride]
            rows.append(b"".join(bytes((row[x + 2], row[x + 1], row[x], row[x + 3])) for x in range(0, stride, 4)))
        yield width, height, png(width, height, rows)


def main():
    if len(sys.argv) != 4:
        sys.stderr.write(__doc__)
        return 2
    with open(sys.argv[1], "rb") as f:
        data = f.read()
    for width, height, picture in images(data):
        folder = os.path.join(sys.argv[2], f"{width}x{height}", "apps")
        os.makedirs(folder, exist_ok=True)
        with open(os.path.join(folder, sys.argv[3] + ".png"), "wb") as out:
            out.write(picture)
    return 0


if __name__ == "__main__":
    sys.exit(main())
