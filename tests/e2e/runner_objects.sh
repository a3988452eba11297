#!/usr/bin/env bash
# The runner's object scene: markers placed from a placement file that the data kit wrote, updated
# in their pass and drawn by the scene draw of every tick. Each marker is a 56-pixel flag: five are
# on screen at first, the sixth walks in from the right, and the picture changes as they walk.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
cd "$work_dir"
"$BUILD_DIR/tools/runner" . 60 --objects markers.bin --png 2:early.png --png 50:late.png --checksums sums.txt

# Pixels that are not black.
count_lit() {
    local counts pixels black
    counts=$(python3 "$here/png_colours.py" "$1" 000000) || return
    read -r pixels black <<<"$counts"
    echo $((pixels - black))
}

early=$(count_lit early.png)
late=$(count_lit late.png)
echo "lit pixels: tick 2 $early, tick 50 $late"
[ "$early" = 280 ] || { echo "FAIL: expected five whole markers at tick 2"; exit 1; }
[ "$late" = 336 ] || { echo "FAIL: expected six whole markers at tick 50"; exit 1; }
moving=$(awk '{print $2}' sums.txt | sort -u | wc -l)
[ "$moving" -gt 30 ] || { echo "FAIL: the picture hardly changes ($moving distinct frames of 60)"; exit 1; }
echo "ok"
