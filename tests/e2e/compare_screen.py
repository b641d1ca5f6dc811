#!/usr/bin/env python3
"""Checks a screenshot of the show against a woven tile.

  compare_screen.py tiling SCREEN TILE ZOOM [WxH]
      Every screen pixel (x, y) outside a WxH box at the top right must be
      tile pixel ((x // ZOOM) mod width, (y // ZOOM) mod height): the tile
      enlarged by whole-pixel blocks and repeated from the top-left corner.
  compare_screen.py name SCREEN TILE ZOOM
      The pixels that differ from the tiling form the name's cell at the top
      right: only white, black and the greys of smoothed letters, white in the
      majority, touching the right edge and row 0, and nothing differs below
      the cell.

Pictures are read through ImageMagick. Prints what it found; exit code 1 on a
mismatch."""
import subprocess
import sys


def read_rgb(path):
    """Width, height and 8-bit RGB bytes of a picture."""
    ppm = subprocess.run(["convert", path, "-depth", "8", "ppm:-"], check=True, capture_output=True).stdout
    _, size, _, data = ppm.split(b"\n", 3)
    width, height = size.split()
    return int(width), int(height), data


def differing(screen_file, tile_file, zoom):
    """The screen's size and pixels, and (x, y, rgb) of every pixel that is not the tiling."""
    (sw, sh, screen), (tw, th, tile) = read_rgb(screen_file), read_rgb(tile_file)
    # Each tile row enlarged and repeated across the screen.
    rows = [(b"".join(tile[i:i + 3] * zoom for i in range(y * tw * 3, (y + 1) * tw * 3, 3))
             * (sw // (tw * zoom) + 1))[:sw * 3] for y in range(th)]
    diff = []
    for y in range(sh):
        got, want = screen[y * sw * 3:(y + 1) * sw * 3], rows[y // zoom % th]
        if got != want:
            diff += [(x, y, tuple(got[i:i + 3])) for x, i in enumerate(range(0, sw * 3, 3)) if got[i:i + 3] != want[i:i + 3]]
    return sw, sh, screen, diff


def check_tiling(screen_file, tile_file, zoom, skip="0x0"):
    sw, sh, _, diff = differing(screen_file, tile_file, zoom)
    skip_w, skip_h = (int(v) for v in skip.split("x"))
    bad = [(x, y, c) for x, y, c in diff if not (y < skip_h and x >= sw - skip_w)]
    print(f"tiling: {len(bad)} of {sw * sh} pixels differ from the tile at zoom {zoom}"
          + (f"; first {bad[0]}" if bad else ""))
    return 1 if bad else 0


def check_name(screen_file, tile_file, zoom):
    sw, _, screen, diff = differing(screen_file, tile_file, zoom)
    if not diff:
        print("name: nothing differs from the tiling")
        return 1
    left = min(x for x, _, _ in diff)
    bottom = max(y for _, y, _ in diff)
    # The name's cell: from the leftmost changed column to the right edge,
    # from row 0 to the lowest changed row. Where the tile itself is white or
    # black the cell does not differ from it, so the whole box is checked.
    box = [tuple(screen[(y * sw + x) * 3:(y * sw + x) * 3 + 3])
           for y in range(bottom + 1) for x in range(left, sw)]
    whites, blacks = box.count((255, 255, 255)), box.count((0, 0, 0))
    # Letters may be smoothed: their edges are greys between black and white.
    greys = sum(1 for c in box if c[0] == c[1] == c[2])
    print(f"name: {len(diff)} pixels differ; cell x {left}..{sw - 1}, y 0..{bottom}: "
          f"{whites} white, {blacks} black, {greys - whites - blacks} other greys of {len(box)}")
    ok = (greys == len(box) and whites > blacks > 0 and 8 <= bottom < 40
          and sw // 2 < left < sw - 20)
    return 0 if ok else 1


if __name__ == "__main__":
    what, screen, tile, zoom, *skip = sys.argv[1:]
    sys.exit({"tiling": check_tiling, "name": check_name}[what](screen, tile, int(zoom), *skip))
