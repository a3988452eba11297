#!/usr/bin/env bash
# Fonts and texts in a runner frame: a Braktext file with a line at each alignment, a size change,
# a colour tag (kept, not applied), Latin-1 glyphs and a line that wraps at the box edge; beside it
# the menu font and the dev font at each alignment around a guide line, and numbers in decimal and
# hexadecimal. The frame is kept as a PNG to look at, and its checksum is the lock: the glyphs are
# rasterised from the system's DejaVu fonts, so a new version of fonts-dejavu-core moves it too
# (look at the PNG, then take the new checksum).
set -euo pipefail
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
png="$BUILD_DIR/runner_text.png"
expected=46922433

"$BUILD_DIR/tools/datakit" build "$work_dir"
python3 - "$work_dir/sample.btx" <<'PY'
import sys
lines = [
    "<align(0)>Left: the quick brown fox",
    "<align(1)>Centre: <color(255,128,0)>jumps</color> over the lazy dog",
    "<align(2)>Right: 0123456789 !?&%",
    "<align(1)><size(1.5,1.5)>Gr\u00f6\u00dfer<size(1,1)> and smaller",
    "<align(0)>Latin-1: \u00e0\u00e9\u00ee\u00f5\u00fc \u00f1 \u00e7 \u00df \u00bf\u00a1 \u00a9\u00ae \u00bd\u00b0, "
    "and enough words to wrap at the edge.",
    "",
    "After the blank line: never shown.",
]
open(sys.argv[1], 'wb').write(('\ufeff' + '\r\n'.join(lines) + '\r\n').encode('utf-16-be'))
PY
cd "$work_dir"
"$BUILD_DIR/tools/runner" . 4 --text sample.btx --png "3:$png" --checksums sums.txt
echo "frame kept at $png"
actual=$(awk '$1 == 3 {print $2}' sums.txt)
echo "checksum of tick 3: $actual"
[ "$actual" = "$expected" ] || { echo "FAIL: expected $expected; look at the PNG"; exit 1; }
echo "ok"
