#!/usr/bin/env bash
# "Thanks For Playing!": the stage shows its starfield behind the breathing letters and the text;
# a press of Jump fades it out and goes on to The Bone Zone 85 ticks later, which shows its world,
# not a black screen.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

PRESS=120 TICKS=400
cat > keys.txt <<EOF2
$PRESS 31 down
$((PRESS + 1)) 31 up
EOF2
"$BUILD_DIR/tools/runner" data "$TICKS" --stage "Thanks For Playing!" --keys keys.txt --trace trace.csv \
    --png 20:thanks-early.png --png $((PRESS - 1)):thanks.png --png $((PRESS + 50)):leaving.png \
    --png $((TICKS - 1)):bone-zone.png

evidence="$BUILD_DIR/e2e-evidence/runner_thanks"
mkdir -p "$evidence"
cp thanks-early.png thanks.png leaving.png bone-zone.png "$evidence/"

# The letters' dark rim and the text font's light pixels; the fade-out darkens the picture.
read -r _ rim < <(python3 "$here/png_colours.py" thanks.png 281030)
[ "$rim" -gt 1000 ] || { echo "FAIL: no thanks letters on the screen ($rim rim pixels)"; exit 1; }
read -r _ rim_leaving < <(python3 "$here/png_colours.py" leaving.png 281030)
[ "$rim_leaving" -lt "$rim" ] || { echo "FAIL: the picture did not fade ($rim_leaving of $rim)"; exit 1; }

python3 - trace.csv "$PRESS" bone-zone.png "$here/png_colours.py" <<'EOF2'
import csv, subprocess, sys
rows = list(csv.DictReader(open(sys.argv[1])))
press = int(sys.argv[2])
first = next(t for t, r in enumerate(rows) if r['stage'] == 'The Bone Zone')
assert all(r['stage'] == 'Thanks For Playing!' for r in rows[:first])
# 255 / 3 ticks of fade after the press, then the switch.
assert press + 84 <= first <= press + 86, (press, first)
# The Bone Zone is not left black: most of its frame has colour.
out = subprocess.run(['python3', sys.argv[4], sys.argv[3], '000000'], capture_output=True, text=True, check=True)
total, black = map(int, out.stdout.split())
assert black < total // 2, (black, total)
print(f'Jump on tick {press}; The Bone Zone from tick {first}; {black} of {total} pixels black at the end')
EOF2
echo "runner thanks stage and its way on to The Bone Zone: ok"
