#!/usr/bin/env bash
# The Graveyard's pause menu: with right held all along, Start (Return, slot 28) pauses the game
# (the player stops where it is), Down twice moves the cursor to "Restart", Start chooses it; the
# fade runs while paused and the stage starts again with the player back at its start, running.
# Frames of the HUD and of the open menu are kept beside the build as evidence, and checked for
# the HUD's hearts and the menu's highlighted line.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

PAUSE=150 DOWN1=170 DOWN2=180 CHOOSE=190 TICKS=420
cat > keys.txt <<EOF
0-$TICKS 77
$PAUSE 28 down
$((PAUSE + 1)) 28 up
$DOWN1 80 down
$((DOWN1 + 1)) 80 up
$DOWN2 80 down
$((DOWN2 + 1)) 80 up
$CHOOSE 28 down
$((CHOOSE + 1)) 28 up
EOF
"$BUILD_DIR/tools/runner" data "$TICKS" --stage Graveyard --keys keys.txt --trace trace.csv \
    --png 140:hud.png --png 186:pause.png

evidence="$BUILD_DIR/e2e-evidence/runner_pause_graveyard"
mkdir -p "$evidence"
cp hud.png pause.png "$evidence/"

# The HUD's heart red and the ground's brown are in the frame before the pause; the menu's dim
# darkens the ground after (the HUD shares the dim's draw layer, and the Fade type, loaded by the
# first stage of the game, comes first in it, so the HUD stays bright); the menu's highlighted line
# (the menu font's second palette) only in the paused frame.
heart=e02840 ground=493729 highlight=ffcc38
read -r _ hud_hearts hud_ground hud_highlight < <(python3 "$here/png_colours.py" hud.png $heart $ground $highlight)
read -r _ pause_ground pause_highlight < <(python3 "$here/png_colours.py" pause.png $ground $highlight)
[ "$hud_hearts" -gt 50 ] || { echo "FAIL: no hearts in the HUD frame ($hud_hearts)"; exit 1; }
[ "$hud_ground" -gt 1000 ] || { echo "FAIL: no ground in the HUD frame ($hud_ground)"; exit 1; }
[ "$pause_ground" -eq 0 ] || { echo "FAIL: the picture is not dimmed under the menu ($pause_ground)"; exit 1; }
[ "$hud_highlight" -eq 0 ] || { echo "FAIL: a highlighted menu line before the pause ($hud_highlight)"; exit 1; }
[ "$pause_highlight" -gt 20 ] || { echo "FAIL: no highlighted line in the pause menu ($pause_highlight)"; exit 1; }

python3 - trace.csv "$PAUSE" "$CHOOSE" <<'EOF'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
pause, choose = int(sys.argv[2]), int(sys.argv[3])
x = [float(r['x']) if r['x'] else None for r in rows]
assert all(r['stage'] == 'Graveyard' for r in rows), {r['stage'] for r in rows}

# Running right before the pause.
assert x[pause - 1] > x[pause - 40] + 20, (x[pause - 40], x[pause - 1])
# Paused from the tick after Start: the player stands still though right is held.
frozen = x[pause + 1]
for t in range(pause + 1, choose + 10):
    assert x[t] == frozen, f'tick {t}: x {x[t]}, paused at {frozen}'
# Restarted: back at its start within the fade (64 ticks at 4 a tick) and a tick or two more.
back = next((t for t in range(choose, len(rows)) if x[t] is not None and abs(x[t] - 272) < 2), None)
assert back is not None, f'never back at the start; x at the end {x[-1]}'
assert 60 <= back - choose <= 70, f'restarted {back - choose} ticks after choosing'
assert frozen > 300, frozen
# And playing again: right still held, the player runs.
assert x[-1] > x[back] + 20, (x[back], x[-1])
print(f'paused at x {frozen}, restart chosen at tick {choose}, back at the start on tick {back}, '
      f'at x {x[-1]} by tick {len(rows) - 1}')
EOF
echo "runner pause and restart in the Graveyard: ok"
