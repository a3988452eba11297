#!/usr/bin/env bash
# Controls from the Graveyard's pause menu: Start pauses, Down and Start open the input
# configuration, Right moves the cursor to "Jump", Start makes it wait, J binds it, Backspace
# leaves. "config.bfc" (written in the data folder, the runner's working folder) must then hold J
# for Jump and S (Jump's old key) nowhere it was swapped. A second run ends three ticks after
# Backspace, before the menu has slid out, and must have saved too. Frames of the menu are kept.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

PAUSE=150 DOWN=170 OPEN=180 RIGHT=230 WAIT=240 BIND=260 LEAVE=280 TICKS=330
cat > keys.txt <<EOF2
$PAUSE 28 down
$((PAUSE + 1)) 28 up
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

check_config() { # the data folder's config.bfc: Jump's key (offset 16 + slot 4) is J, slot 5's is D
    python3 - "$1/config.bfc" <<'EOF2'
import sys
data = open(sys.argv[1], 'rb').read()
assert len(data) == 39, len(data)
keys = data[16:32]
assert keys[4] == 36, f'jump key {keys[4]}'
assert 36 not in keys[:4] + keys[5:8], keys
assert 31 not in keys, f'the old jump key S stayed bound {list(keys)}'
print('config.bfc: jump on key', keys[4])
EOF2
}

rm -f data/config.bfc
"$BUILD_DIR/tools/runner" data "$TICKS" --stage Graveyard --keys keys.txt \
    --png $((OPEN + 30)):menu.png --png $((WAIT + 10)):waiting.png --png $((BIND + 10)):bound.png \
    --png $((LEAVE + 40)):back.png
check_config data

rm -f data/config.bfc
"$BUILD_DIR/tools/runner" data $((LEAVE + 3)) --stage Graveyard --keys keys.txt --png $((LEAVE + 2)):leaving.png
check_config data

evidence="$BUILD_DIR/e2e-evidence/runner_controls_graveyard"
mkdir -p "$evidence"
cp menu.png waiting.png bound.png leaving.png back.png "$evidence/"

# The highlight palette of the menu font marks the row under the cursor and the footer in the menu
# frames; back in the pause menu only its highlighted line is left.
highlight=ffcc38
read -r _ menu_hl < <(python3 "$here/png_colours.py" menu.png $highlight)
read -r _ back_hl < <(python3 "$here/png_colours.py" back.png $highlight)
[ "$menu_hl" -gt 200 ] || { echo "FAIL: no highlighted rows in the menu ($menu_hl)"; exit 1; }
[ "$back_hl" -gt 20 ] && [ "$back_hl" -lt "$menu_hl" ] || { echo "FAIL: the pause menu is not back ($back_hl)"; exit 1; }
echo "runner controls in the Graveyard: ok"
