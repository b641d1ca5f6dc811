#!/usr/bin/env python3
"""Checks that a screenshot is a tile repeated from the top-left corner.

Usage: compare_tiling.py SCREEN.png TILE.png [--skip-top-right WxH]
Both images are read through ImageMagick as raw RGB. Pixels inside the
skipped top-right box (where a name may be written) are not compared.
Prints the number of mismatching pixels and exits 1 if there is any."""
import argparse
import subprocess
import sys


def read_rgb(path):
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True,
                          capture_output=True, text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    data = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                          capture_output=True).stdout
    return width, height, data


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("screen")
    ap.add_argument("tile")
    ap.add_argument("--skip-top-right", default="0x0")
    a = ap.parse_args()
    sw, sh, screen = read_rgb(a.screen)
    tw, th, tile = read_rgb(a.tile)
    skip_w, skip_h = (int(v) for v in a.skip_top_right.split("x"))
    bad = 0
    first = None
    for y in range(sh):
        ty = y % th
        row = y * sw * 3
        trow = ty * tw * 3
        for x in range(sw):
            if y < skip_h and x >= sw - skip_w:
                continue
            s = screen[row + x * 3: row + x * 3 + 3]
            tx = (x % tw) * 3
            if s != tile[trow + tx: trow + tx + 3]:
                bad += 1
                if first is None:
                    first = (x, y, tuple(s), tuple(tile[trow + tx: trow + tx + 3]))
    print(f"{bad} of {sw * sh} pixels differ" + (f"; first at {first}" if first else ""))
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
