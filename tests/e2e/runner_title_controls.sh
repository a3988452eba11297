#!/usr/bin/env bash
# Controls from the title main menu, from the first tick: once the menu has glided in, Down moves to
# "Controls" and Return opens the input configuration; Right moves to "Jump", Return makes it wait,
# J binds it and Backspace leaves back to the title menu. "config.bfc" in the data folder must then
# hold J for Jump and the old key S nowhere, and the game must still be on the title screen with its
# menu. Frames of the menu are kept beside the build as evidence.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

# The tick the title screen starts on, from a run without input.
"$BUILD_DIR/tools/runner" data 2400 --trace first.csv
TITLE=$(python3 "$here/stage_start.py" first.csv "Title Screen")

DOWN=$((TITLE + 80)) OPEN=$((TITLE + 90)) RIGHT=$((TITLE + 140)) WAIT=$((TITLE + 150))
BIND=$((TITLE + 170)) LEAVE=$((TITLE + 190)) TICKS=$((TITLE + 250))
cat > keys.txt <<EOF2
$DOWN 80 down
$((DOWN + 1)) 80 up
$OPEN 28 down
$((OPEN + 1)) 28 up
$RIGHT 77 down
$((RIGHT + 1)) 77 up
$WAIT 28 down
$((WAIT + 1)) 28 up
$BIND 36 down
$((BIND + 1)) 36 up
$LEAVE 14 down
$((LEAVE + 1)) 14 up
EOF2

rm -f data/config.bfc
"$BUILD_DIR/tools/runner" data "$TICKS" --keys keys.txt --trace trace.csv \
    --png $((OPEN + 30)):menu.png --png $((BIND + 10)):bound.png --png $((TICKS - 1)):back.png

evidence="$BUILD_DIR/e2e-evidence/runner_title_controls"
mkdir -p "$evidence"
cp menu.png bound.png back.png "$evidence/"

python3 - data/config.bfc trace.csv <<'EOF2'
import csv, sys
data = open(sys.argv[1], 'rb').read()
assert len(data) == 39, len(data)
keys = data[16:32]
assert keys[4] == 36, f'jump key {keys[4]}'
assert 31 not in keys, f'the old jump key S stayed bound {list(keys)}'
rows = list(csv.DictReader(open(sys.argv[2])))
assert rows[-1]['stage'] == 'Title Screen', rows[-1]['stage']
print('config.bfc: jump on key', keys[4], '- still on the title screen')
EOF2

# The menu font's highlight marks the row under the cursor in the configuration; back on the title
# only the main menu's highlighted line is left.
highlight=ffcc38
read -r _ menu_hl < <(python3 "$here/png_colours.py" menu.png $highlight)
read -r _ back_hl < <(python3 "$here/png_colours.py" back.png $highlight)
[ "$menu_hl" -gt 200 ] || { echo "FAIL: no highlighted rows in the configuration ($menu_hl)"; exit 1; }
[ "$back_hl" -gt 20 ] && [ "$back_hl" -lt "$menu_hl" ] || { echo "FAIL: the title menu is not back ($back_hl)"; exit 1; }
echo "runner controls from the title main menu: ok"
