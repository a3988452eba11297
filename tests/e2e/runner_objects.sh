#!/usr/bin/env bash
# The runner's object scene: markers placed from a placement file that the data kit wrote, updated
# in their pass and drawn by the scene draw of every tick. Each marker is a 56-pixel flag: five are
# on screen at first, the sixth walks in from the right, and the picture changes as they walk.
set -euo pipefail
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
cd "$work_dir"
"$BUILD_DIR/tools/runner" . 60 --objects markers.bin --png 2:early.png --png 50:late.png --checksums sums.txt

count_lit() {
    python3 - "$1" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], 'rb').read()
pos, idat, width, height = 8, b'', 0, 0
while pos < len(data):
    length, kind = struct.unpack('>I4s', data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b'IHDR':
        width, height = struct.unpack('>II', body[:8])
    elif kind == b'IDAT':
        idat += body
    pos += 12 + length
raw = zlib.decompress(idat)
stride = width * 3 + 1
lit = 0
for y in range(height):
    row = raw[y * stride:(y + 1) * stride]
    assert row[0] == 0, 'unfiltered rows expected'
    lit += sum(1 for x in range(width) if row[1 + 3 * x:4 + 3 * x] != b'\0\0\0')
print(lit)
PY
}

early=$(count_lit early.png)
late=$(count_lit late.png)
echo "lit pixels: tick 2 $early, tick 50 $late"
[ "$early" = 280 ] || { echo "FAIL: expected five whole markers at tick 2"; exit 1; }
[ "$late" = 336 ] || { echo "FAIL: expected six whole markers at tick 50"; exit 1; }
moving=$(awk '{print $2}' sums.txt | sort -u | wc -l)
[ "$moving" -gt 30 ] || { echo "FAIL: the picture hardly changes ($moving distinct frames of 60)"; exit 1; }
echo "ok"
