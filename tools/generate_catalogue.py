#!/usr/bin/env python3
"""Turns the readable tartan data into the program's scrambled catalogue.

Reads every *.txt file of the data folder (the record format is described at
the top of data/tartans.txt), checks every rule the catalogue must keep, and
writes a C++ source defining `storedTartans`: per record its name, its thread
counts and its palette, warp and weft strings, each scrambled with the record's
name as key. Where the warp and weft counts are equal the two sett fields point
at one stored text.

Any broken rule stops the build with a message naming the file, line and record.
Standard library only.
"""
import argparse
import os
import re
import sys
import tempfile

TARTAN_COUNT = 272
MIN_WARP, MAX_WARP = 2, 888
MIN_WEFT, MAX_WEFT = 4, 1372
LAST_ORDINARY = 251          # records 0..251: the ordinary run
ORDINARY_MAX_WARP = 476
LARGE_MIN_WARP = 291         # records 252..271: the large setts
EXPECTED_RESIDUES = {0: 177, 2: 93, 1: 2}   # warp count mod 4 (odd counted as 1)

# index: (name, warp, weft, one text for warp and weft)
TELLING_ROWS = {
    0: ("Abercrombie D", 148, 148, True),
    1: ("Abercrombie", 134, 268, False),
    7: ("Austin", 80, 80, True),
    201: ("Moncreiffe D", 8, 8, True),
    202: ("Moncreiffe", 2, 4, False),
    221: ("Rob Roy", 16, 16, True),
    227: ("Royal Canadian Air Force", 123, 492, False),
    232: ("Shepherd", 2, 4, False),
    251: ("Wemyss", 248, 248, True),
    252: ("Black Watch", 291, 1164, False),
    253: ("Clan Chattan", 796, 796, True),
    261: ("MacPherson Of Cluny", 686, 1372, False),
    263: ("Merchiston Castle School", 466, 932, False),
    270: ("Stewart Hunting Early", 888, 888, True),
    271: ("Urquhart", 496, 496, True),
}
SMALLEST_TILES = {"Moncreiffe", "Shepherd"}
WIDEST = "Stewart Hunting Early"
TALLEST = "MacPherson Of Cluny"
ODD_WARPS = {"Royal Canadian Air Force", "Black Watch"}

HEADER_RE = re.compile(r"^\[(\d+)\] (\S(?:.*\S)?)$")
FIELD_RE = re.compile(r"^(warp|palette|sett|from)\s+(.*\S)$")
COLOUR_RE = re.compile(r"^([A-Z]+)=#([0-9A-Fa-f]{6})$")
STRIPE_RE = re.compile(r"^([A-Z]+)(/?)(\d+)$")


class DataError(Exception):
    pass


class Record:
    def __init__(self, index, name, where):
        self.index = index
        self.name = name
        self.where = where          # "file:line" of the record's header
        self.fields = {}            # field name -> (value, "file:line")

    def fail(self, message, field=None):
        where = self.fields[field][1] if field in self.fields else self.where
        raise DataError(f"{where}: [{self.index}] {self.name}: {message}")


def read_records(folder):
    files = sorted(f for f in os.listdir(folder) if f.endswith(".txt"))
    if not files:
        raise DataError(f"{folder}: no *.txt data files")
    records = []
    for filename in files:
        path = os.path.join(folder, filename)
        current = None
        with open(path, encoding="ascii") as handle:
            for number, raw in enumerate(handle, 1):
                line = raw.rstrip("\n")
                where = f"{path}:{number}"
                if not line.strip() or line.startswith("#"):
                    continue
                header = HEADER_RE.match(line)
                if header:
                    current = Record(int(header.group(1)), header.group(2), where)
                    records.append(current)
                    continue
                field = FIELD_RE.match(line)
                if not field:
                    raise DataError(f"{where}: cannot read this line: {line!r}")
                if current is None:
                    raise DataError(f"{where}: field before the first [index] Name header")
                key = field.group(1)
                if key in current.fields:
                    current.fail(f"'{key}' given twice (line {number})")
                current.fields[key] = (field.group(2), where)
    return records


def weft_for(warp):
    """The least multiple of the warp count that is divisible by 4."""
    for factor in (1, 2, 4):
        if (warp * factor) % 4 == 0:
            return warp * factor
    raise AssertionError


def parse_palette(record):
    text = record.fields["palette"][0]
    codes, colours = [], []
    for token in text.split():
        match = COLOUR_RE.match(token)
        if not match:
            record.fail(f"palette entry {token!r} is not CODE=#RRGGBB", "palette")
        code = match.group(1)
        if code in codes:
            record.fail(f"palette code {code} given twice", "palette")
        rgb = int(match.group(2), 16)
        red, green, blue = rgb >> 16, (rgb >> 8) & 0xFF, rgb & 0xFF
        codes.append(code)
        colours.append(red | (green << 8) | (blue << 16))   # 0x00BBGGRR
    if not codes:
        record.fail("empty palette", "palette")
    if len(codes) > 26:
        record.fail(f"{len(codes)} colours; the letters a to z allow 26", "palette")
    return codes, colours


def expand_sett(record, codes):
    """The threadcount as (palette index, threads) runs of one full repeat."""
    stripes = []
    tokens = record.fields["sett"][0].split()
    for position, token in enumerate(tokens):
        match = STRIPE_RE.match(token)
        if not match:
            record.fail(f"stripe {token!r} is not CODE<count> or CODE/<count>", "sett")
        code, pivot, count = match.group(1), match.group(2) == "/", int(match.group(3))
        if code not in codes:
            record.fail(f"stripe {token!r} uses {code}, which the palette lacks", "sett")
        if count < 1:
            record.fail(f"stripe {token!r} has no threads", "sett")
        if pivot and position not in (0, len(tokens) - 1):
            record.fail(f"pivot {token!r} inside the sett; pivots go on the first and last stripe",
                        "sett")
        stripes.append((codes.index(code), count, pivot))
    pivots = [s for s in stripes if s[2]]
    if pivots and (len(stripes) < 2 or not (stripes[0][2] and stripes[-1][2])):
        record.fail("a symmetric sett needs a pivot on both its first and its last stripe", "sett")
    runs = [(colour, count) for colour, count, _ in stripes]
    if pivots:
        runs = runs + runs[-2:0:-1]
    unused = set(range(len(codes))) - {colour for colour, _ in runs}
    if unused:
        record.fail("palette colours not used by the sett: " +
                    " ".join(codes[i] for i in sorted(unused)), "palette")
    merged = []
    for colour, count in runs:
        if merged and merged[-1][0] == colour:
            merged[-1] = (colour, merged[-1][1] + count)
        else:
            merged.append((colour, count))
    return merged


def run_text(runs):
    return ",".join(f"{count}{chr(ord('a') + colour)}" for colour, count in runs)


def scramble(text, key):
    """unscrambleSett's rule, its own inverse: NOT (text byte XOR key byte)."""
    key_bytes = key.encode("ascii")
    return bytes(~(byte ^ key_bytes[i % len(key_bytes)]) & 0xFF
                 for i, byte in enumerate(text.encode("ascii")))


def build(records):
    seen_indices = {}
    for record in records:
        if record.index in seen_indices:
            record.fail(f"index given twice (also at {seen_indices[record.index]})")
        seen_indices[record.index] = record.where
    missing = sorted(set(range(TARTAN_COUNT)) - set(seen_indices))
    extra = sorted(set(seen_indices) - set(range(TARTAN_COUNT)))
    if missing or extra:
        raise DataError(f"the catalogue needs indices 0 to {TARTAN_COUNT - 1} once each; "
                        f"missing {missing[:10]}, out of range {extra[:10]}")
    records = sorted(records, key=lambda r: r.index)

    built, names = [], {}
    for record in records:
        name = record.name
        if not all(32 <= ord(ch) < 127 for ch in name) or '"' in name or "\\" in name:
            record.fail("names are printable 7-bit text without quotes or backslashes")
        if name in names:
            record.fail(f"name already used by record [{names[name]}]")
        names[name] = record.index
        for key in ("warp", "palette", "sett"):
            if key not in record.fields:
                record.fail(f"no '{key}' line")
        warp_text = record.fields["warp"][0]
        if not warp_text.isdigit():
            record.fail(f"warp count {warp_text!r} is not a number", "warp")
        warp = int(warp_text)
        if not MIN_WARP <= warp <= MAX_WARP:
            record.fail(f"warp count {warp} outside {MIN_WARP}..{MAX_WARP}", "warp")
        weft = weft_for(warp)
        if not MIN_WEFT <= weft <= MAX_WEFT:
            record.fail(f"weft count {weft} outside {MIN_WEFT}..{MAX_WEFT}", "warp")
        if record.index <= LAST_ORDINARY and warp > ORDINARY_MAX_WARP:
            record.fail(f"warp count {warp}: records up to {LAST_ORDINARY} have at most "
                        f"{ORDINARY_MAX_WARP}", "warp")
        if record.index > LAST_ORDINARY and warp < LARGE_MIN_WARP:
            record.fail(f"warp count {warp}: records after {LAST_ORDINARY} have at least "
                        f"{LARGE_MIN_WARP}", "warp")
        codes, colours = parse_palette(record)
        runs = expand_sett(record, codes)
        threads = sum(count for _, count in runs)
        if threads != warp:
            record.fail(f"the sett's repeat is {threads} threads, the warp count says {warp}",
                        "sett")
        warp_runs = run_text(runs)
        built.append({
            "record": record,
            "name": name,
            "warp": warp,
            "weft": weft,
            "palette": ",".join(str(c) for c in colours),
            "warp_runs": warp_runs,
            "weft_runs": ",".join([warp_runs] * (weft // warp)),
        })
    check_catalogue(built)
    return built


def check_catalogue(built):
    for index, (name, warp, weft, shared) in TELLING_ROWS.items():
        entry = built[index]
        got = (entry["name"], entry["warp"], entry["weft"], entry["warp"] == entry["weft"])
        if got != (name, warp, weft, shared):
            entry["record"].fail(f"must be {name!r} with {warp} by {weft} threads")

    residues = {0: 0, 2: 0, 1: 0}
    for entry in built:
        residues[1 if entry["warp"] % 2 else entry["warp"] % 4] += 1
    if residues != EXPECTED_RESIDUES:
        raise DataError(
            f"warp counts: {residues[0]} divisible by 4, {residues[2]} even but not divisible "
            f"by 4, {residues[1]} odd; the catalogue needs {EXPECTED_RESIDUES[0]}, "
            f"{EXPECTED_RESIDUES[2]} and {EXPECTED_RESIDUES[1]}")

    def only(predicate, expected, what):
        found = {e["name"] for e in built if predicate(e)}
        if found != expected:
            raise DataError(f"{what} must be exactly {sorted(expected)}, found {sorted(found)}")

    only(lambda e: (e["warp"], e["weft"]) == (2, 4), SMALLEST_TILES, "the 2 by 4 tiles")
    only(lambda e: e["warp"] % 2 == 1, ODD_WARPS, "the odd warp counts")
    only(lambda e: e["warp"] == max(x["warp"] for x in built), {WIDEST}, "the widest tile")
    only(lambda e: e["weft"] == max(x["weft"] for x in built), {TALLEST}, "the tallest tile")

    looks = {}
    for entry in built:
        look = (entry["palette"], entry["warp_runs"])
        if look in looks:
            entry["record"].fail(f"same palette and sett as record [{looks[look]}]")
        looks[look] = entry["record"].index


def c_literal(data, indent="    "):
    """Escaped bytes in adjacent string literals of modest line length."""
    lines, per_line = [], 24
    for start in range(0, len(data), per_line):
        chunk = data[start:start + per_line]
        lines.append(indent + '"' + "".join(f"\\x{byte:02X}" for byte in chunk) + '"')
    return "\n".join(lines)


def emit(built):
    out = [
        "// Generated by tools/generate_catalogue.py from the tartan data; do not edit.",
        "// Every sett string is scrambled with its record's name as key.",
        '#include "tartan/catalogue.h"',
        "",
        "namespace {",
        "",
    ]
    rows = []
    for index, entry in enumerate(built):
        name = entry["name"]
        texts = [("palette", entry["palette"])]
        if entry["warp"] == entry["weft"]:
            texts.append(("sett", entry["warp_runs"]))
        else:
            texts += [("warp", entry["warp_runs"]), ("weft", entry["weft_runs"])]
        out.append(f"// [{index}] {name}")
        for label, text in texts:
            data = scramble(text, name)
            if any(byte < 128 for byte in data):
                entry["record"].fail(f"scrambled {label} text has a byte below 128")
            out.append(f"const char {label}{index}[] =")
            out.append(c_literal(data) + ";")
        out.append("")
        if entry["warp"] == entry["weft"]:
            fields = f"palette{index}, sett{index}, sett{index}"
        else:
            fields = f"palette{index}, warp{index}, weft{index}"
        rows.append(f'    {{"{name}", {entry["warp"]}, {entry["weft"]}, {fields}}},')
    out += ["}  // namespace", "", "const StoredTartan storedTartans[tartanCount] = {"]
    out += rows
    out += ["};", ""]
    return "\n".join(out)


def write_atomically(path, text):
    folder = os.path.dirname(os.path.abspath(path))
    handle, temporary = tempfile.mkstemp(dir=folder, prefix=".catalogue-", suffix=".tmp")
    try:
        with os.fdopen(handle, "w", encoding="ascii") as stream:
            stream.write(text)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--data", required=True, help="folder of the readable tartan data")
    parser.add_argument("--output", help="C++ file to write")
    parser.add_argument("--check", action="store_true", help="only check the data")
    args = parser.parse_args()
    try:
        source = emit(build(read_records(args.data)))
    except (DataError, OSError, UnicodeDecodeError) as error:
        print(f"tartan data: {error}", file=sys.stderr)
        return 1
    if args.output and not args.check:
        try:
            write_atomically(args.output, source)
        except OSError as error:
            print(f"catalogue output: {error}", file=sys.stderr)
            return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
