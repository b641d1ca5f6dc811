#!/bin/sh
# Drives plaidwick-catalogue as a user would: its listings, the PNG files it
# writes, and its refusals of bad arguments (one line on stderr, a non-zero
# exit, no file left behind).
set -u
tool=$1
# In a sanitized build: fontconfig keeps its font caches to the end of the process.
LSAN_OPTIONS="suppressions=$(dirname "$0")/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export LSAN_OPTIONS
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
failures=0

check() {  # check DESCRIPTION COMMAND...: the command must succeed
    description=$1
    shift
    if ! "$@"; then
        echo "FAIL: $description"
        failures=$((failures + 1))
    fi
}

# PNG width and height from the IHDR chunk.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ print $1*16777216+$2*65536+$3*256+$4 "x" $5*16777216+$6*65536+$7*256+$8 }'
}

# list: 272 lines of index, name, warp and weft.
"$tool" list >"$work/list" 2>"$work/err"
check "list succeeds quietly" test $? -eq 0 -a ! -s "$work/err"
check "list has 272 lines" test "$(wc -l <"$work/list")" -eq 272
check "list row 0" grep -qx "$(printf '0\tAbercrombie D\t148\t148')" "$work/list"
check "list row 261" grep -qx "$(printf '261\tMacPherson Of Cluny\t686\t1372')" "$work/list"
check "list row 271 is last" test "$(tail -n1 "$work/list")" = "$(printf '271\tUrquhart\t496\t496')"

# show: four lines, plain texts whose runs add up to the counts.
"$tool" show 202 >"$work/show"
check "show gives four lines" test "$(wc -l <"$work/show")" -eq 4
check "show names the record" grep -qx "$(printf 'name\tMoncreiffe')" "$work/show"
check "show gives the plain warp" grep -qx "$(printf 'warp\t1a,1b')" "$work/show"
check "show gives the plain weft" grep -qx "$(printf 'weft\t1a,1b,1a,1b')" "$work/show"
"$tool" show 252 | awk -F'\t' '
    $1 == "warp" || $1 == "weft" { n = split($2, runs, ","); t = 0
        for (i = 1; i <= n; i++) t += substr(runs[i], 1, length(runs[i]) - 1) + 0
        print $1, t }' >"$work/totals"
check "Black Watch runs add up to 291 by 1164" \
    test "$(tr '\n' ' ' <"$work/totals")" = "warp 291 weft 1164 "

# tile: a PNG of the tile's size times the zoom.
"$tool" tile 261 -o "$work/cluny.png"
check "tile writes the woven size" test "$(png_size "$work/cluny.png")" = "686x1372"
"$tool" tile 202 --zoom 3 -o "$work/small.png"
check "tile enlarges by the zoom" test "$(png_size "$work/small.png")" = "6x12"
check "tile file is readable by others as usual" test -r "$work/small.png"

# sheet: one cell per tartan.
"$tool" sheet --range 250-253 -o "$work/sheet.png"
check "sheet of a range is written" test "$(png_size "$work/sheet.png")" = "670x190"

# Refusals: one line on stderr, exit status not 0, nothing written.
refuse() {  # refuse DESCRIPTION ARGS...
    description=$1
    shift
    rm -f "$work/out.png"
    "$tool" "$@" >"$work/stdout" 2>"$work/err"
    status=$?
    if [ $status -eq 0 ] || [ "$(wc -l <"$work/err")" -ne 1 ] || [ -s "$work/stdout" ] ||
        [ -e "$work/out.png" ]; then
        echo "FAIL: $description (status $status, stderr: $(cat "$work/err"))"
        failures=$((failures + 1))
    fi
}
refuse "no command"
refuse "unknown command" weave 3 -o "$work/out.png"
refuse "index above the catalogue" tile 272 -o "$work/out.png"
refuse "negative index" show -1
refuse "index not a number" tile 7x -o "$work/out.png"
refuse "show without index" show
refuse "tile without output" tile 3
refuse "option without value" tile 3 -o
refuse "zoom out of range" tile 3 --zoom 0 -o "$work/out.png"
refuse "zoom too large" tile 3 --zoom 11 -o "$work/out.png"
refuse "backwards range" sheet --range 9-2 -o "$work/out.png"
refuse "output in a missing folder" tile 3 -o "$work/missing/out.png"
mkdir "$work/locked"
refuse "output is a folder" tile 3 -o "$work/locked"
chmod a-w "$work/locked"
if [ -w "$work/locked" ]; then
    echo "note: running with rights that ignore folder permissions; unwritable-folder case skipped"
else
    refuse "output in an unwritable folder" tile 3 -o "$work/locked/out.png"
    check "nothing left in the unwritable folder" test -z "$(ls -A "$work/locked")"
fi
check "no temporary files left behind" test -z "$(find "$work" -name '*.png.*')"

if [ $failures -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all catalogue tool checks passed"
