#!/usr/bin/env python3
"""Takes the built Plaidwick.chm apart with extract_chmLib and checks it as a
reader would meet it: every topic there, every link, anchor and picture of
the topics, the contents and the index found in the file, and the gallery
holding every tartan of the catalogue tool's list with its woven swatch.
Usage: check_chm.py Plaidwick.chm plaidwick-catalogue"""
import os
import re
import subprocess
import sys
import tempfile
from html.parser import HTMLParser
from urllib.parse import unquote

TOPICS = ["Support.htm", "Gallery.htm", "About.htm"]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


class Page(HTMLParser):
    """The references (href, src, Local parameters), anchors and text of a page."""

    def __init__(self, text):
        super().__init__()
        self.references, self.anchors, self.text = [], set(), []
        self.feed(text)

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        for key in ("href", "src"):
            if a.get(key):
                self.references.append(a[key])
        if tag == "param" and (a.get("name") or "").lower() == "local":
            self.references.append(a.get("value") or "")
        if tag == "a" and a.get("name"):
            self.anchors.add(a["name"])
        if a.get("id"):
            self.anchors.add(a["id"])

    def handle_data(self, data):
        self.text.append(data)


def main():
    chm, catalogue = sys.argv[1], sys.argv[2]
    with tempfile.TemporaryDirectory() as root:
        extracted = os.path.join(root, "chm")
        subprocess.run(["extract_chmLib", chm, extracted], check=True, stdout=subprocess.DEVNULL)
        files = {os.path.relpath(os.path.join(d, f), extracted).replace(os.sep, "/")
                 for d, _, names in os.walk(extracted) for f in names}
        read = lambda name: open(os.path.join(extracted, name), encoding="utf-8").read()

        for name in TOPICS + ["Plaidwick.hhc", "Plaidwick.hhk"]:
            check(name in files, "%s is not in the help file" % name)
        pages = {name: Page(read(name)) for name in files if name.endswith((".htm", ".hhc", ".hhk"))}

        for name, page in sorted(pages.items()):
            for reference in page.references:
                if re.match(r"[a-z]+:", reference):
                    continue
                path, _, anchor = reference.partition("#")
                target = os.path.normpath(os.path.join(os.path.dirname(name), unquote(path))) if path else name
                check(target in files, "%s: %s does not resolve" % (name, reference))
                if anchor and target in pages:
                    check(anchor in pages[target].anchors, "%s: no anchor #%s in %s" % (name, anchor, target))
        contents = pages.get("Plaidwick.hhc")
        for topic in TOPICS:
            check(contents is not None and topic in contents.references, "the contents do not list %s" % topic)

        listing = subprocess.run([catalogue, "list"], check=True, capture_output=True, text=True).stdout
        gallery = " ".join(pages["Gallery.htm"].text) if "Gallery.htm" in pages else ""
        index = pages.get("Plaidwick.hhk")
        records = [line.split("\t") for line in listing.splitlines()]
        check(len(records) == 272, "the catalogue lists %d tartans" % len(records))
        for number, name, warp, weft in records:
            check("%s %s: warp %s, weft %s threads" % (name, number, warp, weft) in gallery,
                  "the gallery lacks %s %s (%s by %s)" % (number, name, warp, weft))
            check(index is not None and "Gallery.htm#t%s" % number in index.references,
                  "the index has no entry for %s" % name)
            swatch = "swatches/tartan%03d.png" % int(number)
            check(swatch in files and open(os.path.join(extracted, swatch), "rb").read(8) == b"\x89PNG\r\n\x1a\n",
                  "%s is not a PNG picture in the help file" % swatch)

    for failure in failures[:40]:
        print("FAIL:", failure)
    print("help file: %d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
