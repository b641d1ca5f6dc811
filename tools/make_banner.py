#!/usr/bin/env python3
"""Draws the settings dialog's About banner: a woven tartan with the product's
name on a light panel, saved as a 340 x 50, 16-colour, bottom-up Windows BMP
(8718 bytes, pixel data at offset 118).

Usage: make_banner.py [OUTPUT.bmp] [--png PREVIEW.png]
"""
import argparse
import os
import struct
import sys
import zlib

WIDTH, HEIGHT = 340, 50
TITLE = "Plaidwick ScreenSaver"
FONT_SCALE = 2
ZOOM = 2  # pixels per thread crossing

# The 16-entry colour table (RGB). Indices are the pixel values.
PALETTE = [
    (0x00, 0x00, 0x00),  # 0 unused black
    (0xC8, 0x10, 0x2E),  # 1 red
    (0x1C, 0x2A, 0x6E),  # 2 navy blue
    (0x0E, 0x10, 0x12),  # 3 black thread
    (0xF2, 0xC4, 0x1C),  # 4 yellow
    (0xF4, 0xF4, 0xEE),  # 5 white thread
    (0x14, 0x5C, 0x32),  # 6 green
    (0xF7, 0xF0, 0xDC),  # 7 panel cream
    (0x18, 0x20, 0x48),  # 8 lettering
    (0xBE, 0xAE, 0x8C),  # 9 lettering shadow
    (0x5A, 0x14, 0x1C),  # 10 panel frame, dark red
    (0xE4, 0xD8, 0xB8),  # 11 panel inner edge
    (0x80, 0x80, 0x80),  # 12 spare
    (0xC0, 0xC0, 0xC0),  # 13 spare
    (0x40, 0x40, 0x40),  # 14 spare
    (0xFF, 0xFF, 0xFF),  # 15 spare
]
RED, BLUE, BLACK, YELLOW, WHITE, GREEN = 1, 2, 3, 4, 5, 6
CREAM, INK, SHADOW, FRAME, EDGE = 7, 8, 9, 10, 11

# A Royal Stewart-like half sett, pivoting on its first and last stripes.
HALF_SETT = [
    (RED, 18), (BLUE, 4), (BLACK, 5), (YELLOW, 1), (BLACK, 1), (WHITE, 1), (BLACK, 1),
    (GREEN, 7), (BLACK, 1), (WHITE, 1), (BLACK, 1), (RED, 3), (WHITE, 1),
]

# A 5 x 7 pixel font holding the letters of the title.
GLYPHS = {
    "P": ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    "S": [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    "l": [".##..", "..#..", "..#..", "..#..", "..#..", "..#..", ".###."],
    "a": [".....", ".....", ".###.", "....#", ".####", "#...#", ".####"],
    "i": ["..#..", ".....", ".##..", "..#..", "..#..", "..#..", ".###."],
    "d": ["....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"],
    "w": [".....", ".....", "#...#", "#...#", "#.#.#", "#.#.#", ".#.#."],
    "c": [".....", ".....", ".###.", "#....", "#....", "#...#", ".###."],
    "k": ["#....", "#....", "#..#.", "#.#..", "##...", "#.#..", "#..#."],
    "r": [".....", ".....", "#.##.", "##..#", "#....", "#....", "#...."],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "v": [".....", ".....", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    " ": [".....", ".....", ".....", ".....", ".....", ".....", "....."],
}
GLYPH_W, GLYPH_H, GLYPH_GAP = 5, 7, 1


def thread_colours(half_sett):
    """The colour of every thread of one repeat of a symmetric sett: the runs
    out to the last pivot, then back without repeating either pivot."""
    runs = half_sett + half_sett[-2:0:-1]
    return [colour for colour, count in runs for _ in range(count)]


def weave(width, height):
    """A 2/2 twill: at each crossing the warp (column) thread shows when
    (column + row) mod 4 is below 2, the weft (row) thread otherwise."""
    threads = thread_colours(HALF_SETT)
    pixels = []
    for y in range(height):
        row = []
        weft = threads[(y // ZOOM) % len(threads)]
        for x in range(width):
            warp = threads[(x // ZOOM) % len(threads)]
            row.append(warp if ((x // ZOOM) + (y // ZOOM)) % 4 < 2 else weft)
        pixels.append(row)
    return pixels


def fill(pixels, x0, y0, x1, y1, colour):
    for y in range(y0, y1):
        for x in range(x0, x1):
            pixels[y][x] = colour


def text_width(text):
    return len(text) * (GLYPH_W + GLYPH_GAP) * FONT_SCALE - GLYPH_GAP * FONT_SCALE


def draw_text(pixels, text, left, top, colour):
    for index, char in enumerate(text):
        glyph = GLYPHS[char]
        gx = left + index * (GLYPH_W + GLYPH_GAP) * FONT_SCALE
        for row, bits in enumerate(glyph):
            for col, bit in enumerate(bits):
                if bit == "#":
                    x, y = gx + col * FONT_SCALE, top + row * FONT_SCALE
                    fill(pixels, x, y, x + FONT_SCALE, y + FONT_SCALE, colour)


def banner():
    pixels = weave(WIDTH, HEIGHT)
    tw, th = text_width(TITLE), GLYPH_H * FONT_SCALE
    pad_x, pad_y = 14, 6
    x0 = (WIDTH - tw) // 2 - pad_x
    x1 = x0 + tw + 2 * pad_x
    y0 = (HEIGHT - th) // 2 - pad_y
    y1 = y0 + th + 2 * pad_y
    fill(pixels, x0 - 2, y0 - 2, x1 + 2, y1 + 2, FRAME)  # frame
    fill(pixels, x0, y0, x1, y1, EDGE)  # inner edge
    fill(pixels, x0 + 1, y0 + 1, x1 - 1, y1 - 1, CREAM)  # panel
    left, top = (WIDTH - tw) // 2, (HEIGHT - th) // 2
    draw_text(pixels, TITLE, left + 1, top + 1, SHADOW)
    draw_text(pixels, TITLE, left, top, INK)
    return pixels


def bmp_bytes(pixels):
    """A bottom-up, uncompressed 4 bits-per-pixel BMP file image."""
    row_bytes = ((WIDTH * 4 + 31) // 32) * 4
    image_size = row_bytes * HEIGHT
    offset = 14 + 40 + 4 * len(PALETTE)
    header = struct.pack("<2sIHHI", b"BM", offset + image_size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 4, 0, image_size, 2835, 2835,
                       len(PALETTE), len(PALETTE))
    table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    rows = []
    for y in range(HEIGHT - 1, -1, -1):
        row = pixels[y]
        packed = bytes((row[x] << 4) | (row[x + 1] if x + 1 < WIDTH else 0)
                       for x in range(0, WIDTH, 2))
        rows.append(packed + b"\0" * (row_bytes - len(packed)))
    return header + info + table + b"".join(rows)


def png_bytes(pixels):
    """An RGB PNG of the same picture, for looking at it."""
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + bytes(c for p in row for c in PALETTE[p]) for row in pixels)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 2, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("output", nargs="?",
                        default=os.path.join(here, "..", "src", "resources", "about_banner.bmp"))
    parser.add_argument("--png", help="also write a PNG preview here")
    args = parser.parse_args()
    pixels = banner()
    data = bmp_bytes(pixels)
    assert len(data) == 8718, len(data)
    with open(args.output, "wb") as out:
        out.write(data)
    if args.png:
        with open(args.png, "wb") as out:
            out.write(png_bytes(pixels))
    return 0


if __name__ == "__main__":
    sys.exit(main())
