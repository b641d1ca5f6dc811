#!/usr/bin/env python3
"""Provisional catalogue generator: plain two-colour setts of the right counts."""
import argparse
import os


def scramble(text: str, key: str) -> bytes:
    k = key.encode()
    return bytes((~(c ^ k[i % len(k)])) & 0xFF for i, c in enumerate(text.encode()))


def literal(data: bytes) -> str:
    return '"' + "".join(f"\\x{b:02X}" for b in data) + '"'


def main() -> None:
    ap = argparse.ArgumentParser()
    ap.add_argument("--data", required=True)
    ap.add_argument("--output", required=True)
    a = ap.parse_args()
    records = []
    for line in open(os.path.join(a.data, "provisional.txt")):
        if line.startswith("#") or not line.strip():
            continue
        i, name, warp = line.rstrip("\n").split("|")
        warp = int(warp)
        weft = warp if warp % 4 == 0 else (warp * 2 if warp % 2 == 0 else warp * 4)
        half = warp // 2
        w = f"{half}a,{warp - half}b"
        records.append((name, warp, weft, "1056816,3678250", w, ",".join([w] * (weft // warp))))
    out = ['#include "tartan/catalogue.h"', "", "const StoredTartan storedTartans[tartanCount] = {"]
    for name, warp, weft, pal, ws, fs in records:
        p = literal(scramble(pal, name))
        wl = literal(scramble(ws, name))
        fl = wl if weft == warp else literal(scramble(fs, name))
        out.append(f'    {{"{name}", {warp}, {weft}, {p}, {wl}, {fl}}},')
    out.append("};")
    open(a.output, "w").write("\n".join(out) + "\n")


if __name__ == "__main__":
    main()
