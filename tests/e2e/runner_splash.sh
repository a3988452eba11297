#!/usr/bin/env bash
# The two splashes on the data set, each run from its first tick by the runner: the studio splash
# hands over to "Palvic Splash" on tick 280 (tick 161 when Return is held from the first tick of its
# wait), with a black frame on the tick before; the engine splash hands over to "Title Screen" on
# tick 324. The settled studio logo shows its gold ring and white name; the engine's final picture
# shows its white name and flame-coloured trim.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

# The tick on which the trace's stage column first reads the given name.
first_tick() {
    awk -F, -v name="$2" 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == "stage") column = i; next }
        $column == name { print $1; exit }' "$1"
}

"$BUILD_DIR/tools/runner" data 300 --stage "Orlenvast Splash" --trace studio.csv \
    --png 200:logo.png --png 279:black.png >/dev/null
next=$(first_tick studio.csv "Palvic Splash")
echo "studio splash: Palvic Splash from tick ${next:-never}"
[ "$next" = 280 ] || { echo "FAIL: the studio splash should hand over on tick 280"; exit 1; }
read -r total black <<<"$(python3 "$here/png_colours.py" black.png 000000)"
[ "$black" = "$total" ] || { echo "FAIL: the frame before the switch should be black ($black of $total)"; exit 1; }
read -r _ gold name <<<"$(python3 "$here/png_colours.py" logo.png ecb438 f4f8ff)"
echo "studio logo: $gold gold, $name white pixels"
[ "$gold" -gt 500 ] && [ "$name" -gt 500 ] || { echo "FAIL: the studio logo should show"; exit 1; }

echo "144-150 28" > hold.txt
"$BUILD_DIR/tools/runner" data 200 --stage "Orlenvast Splash" --keys hold.txt --trace held.csv >/dev/null
next=$(first_tick held.csv "Palvic Splash")
echo "studio splash, Return held in the wait: Palvic Splash from tick ${next:-never}"
[ "$next" = 161 ] || { echo "FAIL: a held button should cut the wait short"; exit 1; }

"$BUILD_DIR/tools/runner" data 330 --stage "Palvic Splash" --trace engine.csv --png 250:emblem.png >/dev/null
next=$(first_tick engine.csv "Title Screen")
echo "engine splash: Title Screen from tick ${next:-never}"
[ "$next" = 324 ] || { echo "FAIL: the engine splash should hand over on tick 324"; exit 1; }
read -r _ white flame <<<"$(python3 "$here/png_colours.py" emblem.png ffffff ffc440)"
echo "engine emblem: $white white, $flame flame pixels"
[ "$white" -gt 500 ] && [ "$flame" -gt 500 ] || { echo "FAIL: the engine's final picture should show"; exit 1; }
echo "runner splashes: ok"
