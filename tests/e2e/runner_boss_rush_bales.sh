#!/usr/bin/env bash
# The boss's bales leave the "Boss Rush" arena on both sides and go. The player stands still at its
# start (x 340) for 3000 ticks while the boss slams, throws and sends bales rolling to the left and
# the right. Every instance of the boss's type but the first (the arena's controller, standing at
# x 32) is watched: checked on the trace, none of them stays past the arena's edges (x under 56 or
# over 644, where no part of the standing boss is) for more than 200 ticks, and bales do go past both
# edges. A wall at an end of the stage used to stop a rolling bale at x 40, in sight at the arena's
# edge for hundreds of ticks with its box still live.
set -euo pipefail
source "$(dirname "$0")/data_folder.bash"

TICKS=3000
watch=()
for i in 1 2 3 4 5 6 7 8 9; do watch+=(--watch "HaystackKing:$i"); done
"$BUILD_DIR/tools/runner" data "$TICKS" --stage "Boss Rush" --trace trace.csv "${watch[@]}" >/dev/null

python3 - <<'EOF2'
import csv, sys
rows = list(csv.DictReader(open('trace.csv')))
assert len(rows) == 3000, f'{len(rows)} rows'
failures, left, right = [], 0, 0
for i in range(1, 10):
    k = f'HaystackKing:{i}'
    run = 0
    for r in rows:
        alive = r[k + '.alive'] == '1' and r[k + '.x'] != ''
        x = float(r[k + '.x']) if alive else 0.0
        if alive and (x < 56 or x > 644):
            run += 1
            left += x < 56
            right += x > 644
            if run == 201:
                failures.append(f'{k} past the arena\'s edge for 200 ticks from tick {int(r["tick"]) - 200} (x {x})')
        else:
            run = 0
print(f'ticks of bales past the left edge: {left}, past the right edge: {right}')
if left == 0 or right == 0:
    failures.append('no bale went past one of the arena\'s edges')
if failures:
    sys.exit('FAIL: ' + '; '.join(failures))
EOF2
echo "runner boss rush bales: ok"
