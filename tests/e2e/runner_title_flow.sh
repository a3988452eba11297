#!/usr/bin/env bash
# The game from its first tick without a --stage: the disclaimer, the two splashes and the title
# screen come one after another without input; once the title main menu has glided in, Return
# (slot 28, Start) chooses "Start Game", the menu fades out and the Graveyard starts with the
# player in it. Frames of the disclaimer, the title screen with its menu and the Graveyard are kept
# beside the build as evidence and checked for what each screen shows.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

# A first run without input finds the tick the title screen starts on, so the keys below follow
# the title whatever the splashes last.
"$BUILD_DIR/tools/runner" data 2400 --trace first.csv
TITLE=$(python3 "$here/stage_start.py" first.csv "Title Screen")

# The menu is spawned on the title's 31st frame and glides in for a few more.
START=$((TITLE + 80)) TICKS=$((TITLE + 260))
cat > keys.txt <<EOF2
$START 28 down
$((START + 1)) 28 up
EOF2
"$BUILD_DIR/tools/runner" data "$TICKS" --keys keys.txt --trace trace.csv \
    --png 120:disclaimer.png --png $((TITLE + 75)):title.png --png $((TICKS - 1)):graveyard.png

evidence="$BUILD_DIR/e2e-evidence/runner_title_flow"
mkdir -p "$evidence"
cp disclaimer.png title.png graveyard.png "$evidence/"

# The disclaimer's white text on black; the title's moon, gold logo and the highlighted menu line
# (the menu font's second palette); neither of the title's colours on the disclaimer. The title
# picture lies under the menu's dimming fade, which may take a step off a channel.
count_near() {
    python3 - "$here" "$@" <<'EOF2'
import sys
sys.path.insert(0, sys.argv[1])
from png_colours import read_rows
colours = [bytes.fromhex(c) for c in sys.argv[3:]]
counts = [0] * len(colours)
for width, row in read_rows(sys.argv[2]):
    for x in range(width):
        pixel = row[3 * x:3 * x + 3]
        for i, c in enumerate(colours):
            counts[i] += all(abs(pixel[k] - c[k]) <= 3 for k in range(3))
print(*counts)
EOF2
}
white=ffffff moon=fff6d6 gold=ffec96 highlight=ffcc38
read -r d_white d_moon d_gold < <(count_near disclaimer.png $white $moon $gold)
read -r t_moon t_gold t_highlight < <(count_near title.png $moon $gold $highlight)
[ "$d_white" -gt 200 ] || { echo "FAIL: no disclaimer text ($d_white)"; exit 1; }
[ "$d_moon" -eq 0 ] && [ "$d_gold" -eq 0 ] || { echo "FAIL: the title picture on the disclaimer"; exit 1; }
[ "$t_moon" -gt 100 ] || { echo "FAIL: no moon on the title screen ($t_moon)"; exit 1; }
[ "$t_gold" -gt 100 ] || { echo "FAIL: no logo on the title screen ($t_gold)"; exit 1; }
[ "$t_highlight" -gt 20 ] || { echo "FAIL: no highlighted menu line ($t_highlight)"; exit 1; }

python3 - trace.csv "$START" "$TITLE" <<'EOF2'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
start, title = int(sys.argv[2]), int(sys.argv[3])
firsts = []
for tick, row in enumerate(rows):
    if not firsts or firsts[-1][0] != row['stage']:
        firsts.append((row['stage'], tick))
names = [name for name, _ in firsts]
assert names == ['WIP Disclaimer', 'Orlenvast Splash', 'Palvic Splash', 'Title Screen', 'Graveyard'], firsts
first = dict(firsts)
# The disclaimer fades out from its 361st frame for 85 frames.
assert first['Orlenvast Splash'] == 445, firsts
assert first['Title Screen'] == title, firsts
# "Start Game": a fade of 64 ticks, then the request served at the next tick.
assert 64 <= first['Graveyard'] - start <= 67, firsts
# The player is in the Graveyard and plays.
assert rows[-1]['state'] not in ('absent', ''), rows[-1]
print('stages:', ', '.join(f'{name} from tick {tick}' for name, tick in firsts))
EOF2
echo "runner from the first tick through the title main menu into the Graveyard: ok"
