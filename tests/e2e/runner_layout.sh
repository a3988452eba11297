#!/usr/bin/env bash
# The runner's layout scene on the data set's layer showcase: a layer in every scroll mode and a
# collision layer on a palette-select sheet, camera 0 panning right 2 pixels a tick. The sky layer
# covers the whole screen, so no pixel stays black; the collision view (its own shared colours)
# covers only the last third of the world, so it shows at tick 250 and not at tick 30; and every
# tick's picture differs from the one before.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"
"$BUILD_DIR/tools/runner" data 260 --layout Data/Stages/LayerTest/layout1.bin \
    --png 30:early.png --png 250:late.png --checksums sums.txt

# Black pixels, and pixels of the colour the collision view gives solid-on-all-sides cells.
early=$(python3 "$here/png_colours.py" early.png 000000 ffffc3)
late=$(python3 "$here/png_colours.py" late.png 000000 ffffc3)
read -r _ early_black early_solid <<<"$early"
read -r _ late_black late_solid <<<"$late"
echo "tick 30: $early_black black, $early_solid collision; tick 250: $late_black black, $late_solid collision"
[ "$early_black" = 0 ] && [ "$late_black" = 0 ] || { echo "FAIL: the sky layer should cover the screen"; exit 1; }
[ "$early_solid" = 0 ] || { echo "FAIL: no collision view expected at tick 30"; exit 1; }
[ "$late_solid" -gt 1000 ] || { echo "FAIL: the collision view should show at tick 250"; exit 1; }
# From the first tick of the scene on, every frame differs from the one before.
changes=$(awk 'NR > 2 && $2 != previous { n++ } { previous = $2 } END { print n + 0 }' sums.txt)
echo "frames that changed: $changes of $(($(wc -l < sums.txt) - 2))"
[ "$changes" = $(($(wc -l < sums.txt) - 2)) ] || { echo "FAIL: the picture should move every tick"; exit 1; }
echo "runner layout scene: ok"
