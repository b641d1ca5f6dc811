#!/usr/bin/env python3
"""Writes a C++ source file holding a binary file's bytes as a constant array."""
import sys


def main() -> int:
    if len(sys.argv) != 5:
        print("usage: embed_binary.py INPUT OUTPUT.cpp HEADER SYMBOL", file=sys.stderr)
        return 2
    source, output, header, symbol = sys.argv[1:]
    data = open(source, "rb").read()
    rows = []
    for start in range(0, len(data), 16):
        rows.append("    " + ", ".join(f"0x{b:02X}" for b in data[start:start + 16]) + ",")
    text = (
        f'#include "{header}"\n\n'
        f"const uint8_t {symbol}Data[] = {{\n" + "\n".join(rows) + "\n};\n"
        f"const size_t {symbol}Size = sizeof({symbol}Data);\n"
    )
    with open(output, "w") as out:
        out.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
