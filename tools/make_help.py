#!/usr/bin/env python3
"""Builds Plaidwick.chm from the help sources.

Copies the topics, style sheet, pictures, contents and index from the help
folder into a work folder; weaves a swatch of every tartan with the catalogue
tool (plaidwick-catalogue) and writes the gallery's table and the index's
entry for each tartan in the places the sources mark; lists the swatches in
the project's [FILES]; compiles the project with chmcmd.
"""
import argparse
import html
import os
import shutil
import struct
import subprocess
import sys

GALLERY_MARK = "<!-- The build puts the table of tartans here. -->"
INDEX_MARK = "<!-- The build puts an entry for each tartan here. -->"
GALLERY_COLUMNS = 3


def tartans(tool):
    """(index, name, warp, weft) of every tartan, from the tool's list."""
    listing = subprocess.run([tool, "list"], check=True, capture_output=True, text=True).stdout
    records = []
    for line in listing.splitlines():
        index, name, warp, weft = line.split("\t")
        records.append((int(index), name, int(warp), int(weft)))
    return records


def swatch_name(index):
    return "swatches/tartan%03d.png" % index


def make_swatches(tool, records, work):
    os.makedirs(os.path.join(work, "swatches"), exist_ok=True)
    for index, _, _, _ in records:
        subprocess.run([tool, "sheet", "--range", "%d-%d" % (index, index),
                        "-o", os.path.join(work, swatch_name(index))], check=True)


def gallery_table(records):
    rows = ['<table class="gallery">']
    for start in range(0, len(records), GALLERY_COLUMNS):
        rows.append("<tr>")
        for index, name, warp, weft in records[start:start + GALLERY_COLUMNS]:
            rows.append('<td><a name="t%d"></a><img src="%s" width="172" height="190" alt="%s"><br>'
                        '<b>%s</b><br>%d: warp %d, weft %d threads</td>'
                        % (index, swatch_name(index), html.escape(name), html.escape(name),
                           index, warp, weft))
        rows.append("</tr>")
    rows.append("</table>")
    return "\n".join(rows)


def index_entries(records):
    entries = ['<li><object type="text/sitemap"><param name="Name" value="%s">'
               '<param name="Local" value="Gallery.htm#t%d"></object>'
               % (html.escape(name), index)
               for index, name, _, _ in sorted(records, key=lambda r: (r[1].lower(), r[0]))]
    return "<ul>\n" + "\n".join(entries) + "\n</ul>"


def fill_mark(path, mark, text):
    with open(path, encoding="utf-8") as f:
        source = f.read()
    if source.count(mark) != 1:
        sys.exit("make_help.py: %s must hold the mark %r once" % (path, mark))
    with open(path, "w", encoding="utf-8") as f:
        f.write(source.replace(mark, text))


def fix_first_listing_chunk(path):
    """Points the directory header at the first listing chunk.

    The directory of a .chm file is a chain of listing chunks (PMGL, each
    naming its previous and next) that readers walk from the chunk named in
    the directory header (ITSP, offset 0x20) to enumerate the files. chmcmd
    names the second chunk there once the directory needs several, so readers
    that list the file's contents miss every file of the first chunk. The
    chunk without a previous one is the first."""
    with open(path, "r+b") as f:
        data = f.read()
        itsp = data.find(b"ITSP")
        if itsp < 0:
            sys.exit("make_help.py: %s has no directory header" % path)
        header_length, chunk_size = struct.unpack_from("<I", data, itsp + 8)[0], \
            struct.unpack_from("<I", data, itsp + 0x10)[0]
        chunk_count = struct.unpack_from("<I", data, itsp + 0x2C)[0]
        chunks = itsp + header_length
        for number in range(chunk_count):
            chunk = chunks + number * chunk_size
            if data[chunk:chunk + 4] == b"PMGL" and struct.unpack_from("<i", data, chunk + 12)[0] == -1:
                f.seek(itsp + 0x20)
                f.write(struct.pack("<i", number))
                return
        sys.exit("make_help.py: %s has no first listing chunk" % path)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--source", required=True, help="the help folder of the repository")
    parser.add_argument("--catalogue", required=True, help="the plaidwick-catalogue program")
    parser.add_argument("--chmcmd", required=True, help="the CHM compiler")
    parser.add_argument("--work", required=True, help="a folder for the compiler's input")
    parser.add_argument("--output", required=True, help="the .chm file to write")
    args = parser.parse_args()

    if os.path.isdir(args.work):
        shutil.rmtree(args.work)
    shutil.copytree(args.source, args.work)
    records = tartans(args.catalogue)
    make_swatches(args.catalogue, records, args.work)
    fill_mark(os.path.join(args.work, "Gallery.htm"), GALLERY_MARK, gallery_table(records))
    fill_mark(os.path.join(args.work, "Plaidwick.hhk"), INDEX_MARK, index_entries(records))
    with open(os.path.join(args.work, "Plaidwick.hhp"), "a", encoding="utf-8") as f:
        f.writelines(swatch_name(index) + "\n" for index, _, _, _ in records)

    compiled = os.path.join(args.work, "Plaidwick.chm")
    result = subprocess.run([args.chmcmd, "--no-html-scan", "Plaidwick.hhp"], cwd=args.work,
                            capture_output=True, text=True)
    # chmcmd reports a missing file as an error but may still exit 0.
    messages = result.stdout + result.stderr
    if result.returncode != 0 or "Error" in messages or not os.path.isfile(compiled):
        sys.exit("make_help.py: chmcmd failed:\n" + messages)
    fix_first_listing_chunk(compiled)
    shutil.move(compiled, args.output)


if __name__ == "__main__":
    main()
