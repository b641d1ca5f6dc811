#!/usr/bin/env python3
# Takes the built Plaidwick.chm apart with extract_chmLib and checks it as a
# reader would meet it: every topic there, every link, anchor and picture of
# the topics, the contents and the index found in the file, and the gallery and
# the index holding every tartan of the catalogue tool's list, with its swatch.
# Usage: check_chm.py Plaidwick.chm plaidwick-catalogue
import html, os, re, subprocess, sys, tempfile
from urllib.parse import unquote

TOPICS = ["Support.htm", "Gallery.htm", "About.htm"]
PNG = b"\x89PNG\r\n\x1a\n"


def main(chm, catalogue):
    with tempfile.TemporaryDirectory() as root:
        subprocess.run(["extract_chmLib", chm, root], check=True, stdout=subprocess.DEVNULL)
        files = {os.path.relpath(os.path.join(d, f), root): open(os.path.join(d, f), "rb").read()
                 for d, _, names in os.walk(root) for f in names}
    pages = {name: data.decode("utf-8") for name, data in files.items() if name.endswith((".htm", ".hhc", ".hhk"))}
    failures = ["%s is not in the help file" % n for n in TOPICS + ["Plaidwick.hhc", "Plaidwick.hhk"] if n not in pages]
    # Links and pictures of the topics, and the places the contents and the index open.
    references = {name: re.findall(r'(?:href|src)="([^"]*)"|name="Local" value="([^"]*)"', text)
                  for name, text in pages.items()}
    for name, found in sorted(references.items()):
        for reference in ("".join(pair) for pair in found):
            path, _, anchor = unquote(reference).partition("#")
            target = os.path.normpath(os.path.join(os.path.dirname(name), path)) if path else name
            if target not in files or anchor and '<a name="%s">' % anchor not in pages.get(target, ""):
                failures.append("%s: %s does not resolve" % (name, reference))
    failures += ["the contents do not open " + t for t in TOPICS if t not in pages.get("Plaidwick.hhc", "")]
    listing = subprocess.run([catalogue, "list"], check=True, capture_output=True, text=True).stdout
    records = [line.split("\t") for line in listing.splitlines()]
    failures += ["the catalogue lists %d tartans" % len(records)] if len(records) != 272 else []
    for number, name, warp, weft in records:
        swatch = "swatches/tartan%03d.png" % int(number)
        cell = '<a name="t%s"></a><img src="%s" width="172" height="190" alt="%s"><br><b>%s</b><br>%s: warp %s, weft %s threads' \
            % (number, swatch, html.escape(name), html.escape(name), number, warp, weft)
        if cell not in pages.get("Gallery.htm", "") or not files.get(swatch, b"").startswith(PNG) or \
                '"Gallery.htm#t%s"' % number not in pages.get("Plaidwick.hhk", ""):
            failures.append("tartan %s %s lacks its swatch, caption or index entry" % (number, name))
    print("\n".join("FAIL: " + f for f in failures[:40]) + "\nhelp file: %d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
