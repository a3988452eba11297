#!/usr/bin/env bash
# The Graveyard played from its start to its top exit: right held all the way and a full jump at
# each jump point of the route the data kit's Graveyard is built around (the step at x 1472, the
# three one-way floors, the step at x 2560). The key script is grown one jump at a time: each run's
# trace tells the tick at which the player, on the ground, has passed the next jump point, and the
# next run presses jump there. The last run must climb out over the top of the view: the exit takes
# the player's state away, and after the fade "Village 1" starts with its player at its start.
set -euo pipefail
source "$(dirname "$0")/data_folder.bash"

python3 - "$BUILD_DIR/tools/runner" <<'EOF'
import csv, subprocess, sys

runner = sys.argv[1]
JUMP_POINTS = [1440, 1616, 1750, 1895, 2530]
TICKS, HOLD = 2400, 24  # jump held long enough for the whole rise
EXIT_Y = 896 - 16       # the camera's top bound in the Graveyard, less 16
jumps = []

def run():
    with open('keys.txt', 'w') as keys:
        keys.write(f'0-{TICKS} 77\n')
        keys.writelines(f'{t}-{t + HOLD - 1} 31\n' for t in jumps)
    result = subprocess.run([runner, 'data', str(TICKS), '--stage', 'Graveyard', '--keys', 'keys.txt',
                             '--trace', 'trace.csv'])
    rows = list(csv.DictReader(open('trace.csv')))
    if result.returncode != 0:
        last = rows[-1] if rows else None
        sys.exit(f'FAIL: the runner ended with {result.returncode} after {len(rows)} ticks; last row: {last}')
    return rows

def grounded(row):
    return row['x'] != '' and int(row['groundContact']) != 0

for point in JUMP_POINTS:
    rows = run()
    start = jumps[-1] + HOLD if jumps else 1
    tick = next((t for t in range(start, len(rows))
                 if grounded(rows[t - 1]) and float(rows[t - 1]['x']) >= point), None)
    if tick is None:
        farthest = max((r for r in rows if r['x'] != ''), key=lambda r: float(r['x']))
        sys.exit(f'FAIL: the player never stood past x {point}; farthest: {farthest}')
    print(f'jump at tick {tick}, x {rows[tick - 1]["x"]}, y {rows[tick - 1]["y"]}')
    jumps.append(tick)

rows = run()
left = next((i for i, r in enumerate(rows) if r['stage'] != 'Graveyard'), None)
if left is None:
    top = min((r for r in rows if r['x'] != ''), key=lambda r: float(r['y']))
    sys.exit(f'FAIL: still in the Graveyard after {TICKS} ticks; highest: {top}')
graveyard, village = rows[:left], rows[left:]
assert all(r['stage'] == 'Village 1' for r in village), {r['stage'] for r in village}

# The exit: the first tick over the top takes the state away, and it stays away through the fade.
exit_tick = next(i for i, r in enumerate(graveyard) if r['x'] != '' and float(r['y']) < EXIT_Y)
assert graveyard[exit_tick - 1]['state'] == 'normal', graveyard[exit_tick - 1]
assert all(r['state'] == 'none' for r in graveyard[exit_tick:]), {r['state'] for r in graveyard[exit_tick:]}
assert 0 < left - exit_tick < 120, f'the fade took {left - exit_tick} ticks'

# Village 1 starts with its player at (64, 700), which lands and, with right still held, runs.
first = village[0]
assert first['state'] == 'normal' and abs(float(first['x']) - 64) < 3 and abs(float(first['y']) - 700) < 3, first
assert float(village[-1]['x']) > 200, village[-1]
print(f'over the top at tick {exit_tick} (x {graveyard[exit_tick]["x"]}), "Village 1" from tick {left}; '
      f'there at x {village[-1]["x"]} by tick {village[-1]["tick"]}')
EOF
echo "runner play through the Graveyard: ok"
