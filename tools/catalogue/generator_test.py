#!/usr/bin/env python3
"""Checks that tools/generate_catalogue.py accepts the real tartan data and
refuses data that breaks a catalogue rule, naming the fault and writing nothing."""
import os
import re
import subprocess
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
GENERATOR = os.path.join(ROOT, "tools", "generate_catalogue.py")
DATA = open(os.path.join(ROOT, "data", "tartans.txt"), encoding="ascii").read()


def record_block(text, index):
    match = re.search(rf"^\[{index}\] .*?(?=^\[|\Z)", text, re.M | re.S)
    return match.group(0)


def replace_record(text, index, name=None, warp=None, palette=None, sett=None):
    """The data with some fields of one record replaced."""
    old = record_block(text, index)
    new = old
    if name is not None:
        new = re.sub(r"^\[\d+\] .*$", f"[{index}] {name}", new, count=1, flags=re.M)
    for key, value in (("warp", warp), ("palette", palette), ("sett", sett)):
        if value is not None:
            new = re.sub(rf"^{key}\s+.*$", f"{key}     {value}", new, count=1, flags=re.M)
    return text.replace(old, new)


def two_colour(index, warp, text=DATA):
    """One record turned into a plain black and white sett of `warp` threads."""
    half = warp // 2
    return replace_record(text, index, warp=warp, palette="K=#101010 W=#E0E0E0",
                          sett=f"K{half} W{warp - half}")


class Generator(unittest.TestCase):
    def run_generator(self, text):
        with tempfile.TemporaryDirectory() as folder:
            os.mkdir(os.path.join(folder, "data"))
            with open(os.path.join(folder, "data", "tartans.txt"), "w", encoding="ascii") as f:
                f.write(text)
            output = os.path.join(folder, "catalogue.cpp")
            result = subprocess.run([sys.executable, GENERATOR, "--data", os.path.join(folder, "data"),
                                     "--output", output], capture_output=True, text=True)
            written = open(output).read() if os.path.exists(output) else None
            leftovers = [f for f in os.listdir(folder) if f not in ("data", "catalogue.cpp")]
            return result, written, leftovers

    def assertRefused(self, text, message):
        result, written, leftovers = self.run_generator(text)
        self.assertNotEqual(result.returncode, 0)
        self.assertEqual(len(result.stderr.strip().splitlines()), 1, result.stderr)
        self.assertIn(message, result.stderr)
        self.assertIsNone(written)
        self.assertEqual(leftovers, [])

    def test_real_data_gives_shared_and_separate_texts(self):
        result, written, leftovers = self.run_generator(DATA)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stderr, "")
        self.assertEqual(leftovers, [])
        rows = re.findall(r'^    \{"(.*)", (\d+), (\d+), palette(\d+), (\w+), (\w+)\},$', written, re.M)
        self.assertEqual(len(rows), 272)
        for name, warp, weft, index, warp_text, weft_text in rows:
            self.assertEqual(warp_text == weft_text, warp == weft, name)
        # Only scrambled bytes: no plain run text or colour list survives.
        literals = "".join(re.findall(r'^    "(.*)"', written, re.M))
        self.assertRegex(literals, r"^(\\x[89A-F][0-9A-F])+$")

    def test_refuses_counts_that_do_not_add_up(self):
        text = replace_record(DATA, 5, sett="G/4 K2 G60 K24 B4 K2 B2 K2 B24 R/8")
        self.assertRefused(text, "[5] Armstrong: the sett's repeat is 252 threads, the warp count says 250")

    def test_refuses_faulty_palettes_and_setts(self):
        cases = [
            (replace_record(DATA, 5, sett="G/4 K2 G60 K24 Y4 K2 B2 K2 B24 R/6"), "uses Y"),
            (replace_record(DATA, 5, palette="K=#101010 R=#C80000 G=#006818 B=#2C2C80 Y=#E8C000"),
             "not used by the sett: Y"),
            (replace_record(DATA, 5, palette="K=#101010 R=#C8000 G=#006818 B=#2C2C80"), "CODE=#RRGGBB"),
            (replace_record(DATA, 5, sett="G/4 K2 G60 K/24 B4 K2 B2 K2 B24 R/6"), "pivot"),
            (replace_record(DATA, 5, sett="G/4 K2 G60 K24 B4 K2 B2 K2 B24 R6"), "both its first and"),
            (DATA.replace("warp     250\n", "warp     250\ncolour   red\n", 1), "cannot read"),
        ]
        for text, message in cases:
            with self.subTest(message=message):
                self.assertRefused(text, message)

    def test_refuses_names_and_indices_out_of_place(self):
        self.assertRefused(replace_record(DATA, 20, name="Boyd"), "name already used by record [14]")
        self.assertRefused(DATA.replace("[271] Urquhart", "[272] Urquhart"), "missing [271]")
        self.assertRefused(DATA.replace("[271] Urquhart", "[270] Urquhart"), "index given twice")
        self.assertRefused(replace_record(DATA, 221, name="Rob Roy MacGregor"), "must be 'Rob Roy'")

    def test_refuses_counts_that_break_the_catalogue_rules(self):
        cases = [
            (two_colour(221, 20), "must be 'Rob Roy' with 16 by 16"),
            (two_colour(4, 132), "178 divisible by 4, 92 even but not divisible by 4"),
            (two_colour(5, 478), "records up to 251 have at most 476"),
            (two_colour(254, 288), "records after 251 have at least 291"),
            (two_colour(254, 890), "outside 2..888"),
            (two_colour(264, 694), "weft count 1388 outside 4..1372"),
        ]
        for text, message in cases:
            with self.subTest(message=message):
                self.assertRefused(text, message)

    def test_refuses_two_records_that_look_the_same(self):
        text = two_colour(3, 302, two_colour(2, 302))
        self.assertRefused(text, "[3] Anderson: same palette and sett as record [2]")

    def test_unwritable_output_is_reported_without_a_traceback(self):
        result = subprocess.run([sys.executable, GENERATOR, "--data", os.path.join(ROOT, "data"),
                                 "--output", os.path.join(ROOT, "no-such-folder", "x.cpp")],
                                capture_output=True, text=True)
        self.assertNotEqual(result.returncode, 0)
        self.assertNotIn("Traceback", result.stderr)
        self.assertEqual(len(result.stderr.strip().splitlines()), 1)


if __name__ == "__main__":
    unittest.main()
