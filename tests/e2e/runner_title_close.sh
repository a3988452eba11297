#!/usr/bin/env bash
# "Close" on the title main menu ends the program: from the first tick the game reaches the title
# screen, Down twice moves the cursor to "Close", Return chooses it, the screen fades to black and
# the runner stops there, well before the ticks it was given, with exit code 0.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

# A first run without input finds the tick the title screen starts on, so the keys below follow
# the title whatever the splashes last.
"$BUILD_DIR/tools/runner" data 2400 --trace first.csv
TITLE=$(python3 "$here/stage_start.py" first.csv "Title Screen")

DOWN1=$((TITLE + 80)) DOWN2=$((TITLE + 86)) CLOSE=$((TITLE + 92)) TICKS=$((TITLE + 1000))
cat > keys.txt <<EOF2
$DOWN1 80 down
$((DOWN1 + 1)) 80 up
$DOWN2 80 down
$((DOWN2 + 1)) 80 up
$CLOSE 28 down
$((CLOSE + 1)) 28 up
EOF2
status=0
"$BUILD_DIR/tools/runner" data "$TICKS" --keys keys.txt --trace trace.csv \
    --png $((CLOSE - 2)):close.png --png $((CLOSE + 40)):closing.png || status=$?
[ "$status" -eq 0 ] || { echo "FAIL: the runner ended with $status"; exit 1; }

evidence="$BUILD_DIR/e2e-evidence/runner_title_close"
mkdir -p "$evidence"
cp close.png closing.png "$evidence/"

# The highlighted line before the choice; the picture half faded while closing.
read -r _ highlight < <(python3 "$here/png_colours.py" close.png ffcc38)
[ "$highlight" -gt 20 ] || { echo "FAIL: no highlighted menu line ($highlight)"; exit 1; }

python3 - trace.csv "$CLOSE" "$TICKS" <<'EOF2'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
close, ticks = int(sys.argv[2]), int(sys.argv[3])
assert rows[-1]['stage'] == 'Title Screen', rows[-1]['stage']
# The fade of 64 ticks at 4 a tick, then the game ends after that tick.
ended = len(rows)
assert close + 64 <= ended <= close + 67, (close, ended)
assert ended < ticks
print(f'"Close" chosen on tick {close}; the program ended after {ended} ticks of {ticks}')
EOF2
echo "runner title main menu \"Close\" ends the program: ok"
