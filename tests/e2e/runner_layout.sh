#!/usr/bin/env bash
# The runner's layout scene on the data set's layer showcase: a layer in every scroll mode and a
# collision layer on a palette-select sheet, camera 0 panning right 2 pixels a tick. The sky layer
# covers the whole screen, so no pixel stays black; the collision view (its own shared colours)
# covers only the last third of the world, so it shows at tick 250 and not at tick 30; and every
# tick's picture differs from the one before.
set -euo pipefail
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
cd "$work_dir"
"$BUILD_DIR/tools/datakit" build data >/dev/null
"$BUILD_DIR/tools/runner" data 260 --layout Data/Stages/LayerTest/layout1.bin \
    --png 30:early.png --png 250:late.png --checksums sums.txt

# Prints: black pixels, and pixels of the colour the collision view gives solid-on-all-sides cells.
count() {
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
black = solid = 0
for y in range(height):
    row = raw[y * stride:(y + 1) * stride]
    assert row[0] == 0, 'unfiltered rows expected'
    for x in range(width):
        pixel = row[1 + 3 * x:4 + 3 * x]
        black += pixel == b'\0\0\0'
        solid += pixel == bytes((255, 255, 195))
print(black, solid)
PY
}

read -r early_black early_solid < <(count early.png)
read -r late_black late_solid < <(count late.png)
echo "tick 30: $early_black black, $early_solid collision; tick 250: $late_black black, $late_solid collision"
[ "$early_black" = 0 ] && [ "$late_black" = 0 ] || { echo "FAIL: the sky layer should cover the screen"; exit 1; }
[ "$early_solid" = 0 ] || { echo "FAIL: no collision view expected at tick 30"; exit 1; }
[ "$late_solid" -gt 1000 ] || { echo "FAIL: the collision view should show at tick 250"; exit 1; }
# From the first tick of the scene on, every frame differs from the one before.
changes=$(awk 'NR > 2 && $2 != previous { n++ } { previous = $2 } END { print n + 0 }' sums.txt)
echo "frames that changed: $changes of $(($(wc -l < sums.txt) - 2))"
[ "$changes" = $(($(wc -l < sums.txt) - 2)) ] || { echo "FAIL: the picture should move every tick"; exit 1; }
echo "runner layout scene: ok"
