#!/usr/bin/env bash
# The player whips the CandleHead on the "Test" stage until it is vanquished. The player walks right,
# jumps up onto the one-way floor where the candle stands, stops within reach of its swing but clear
# of the hot wax, and swings; each hit knocks the candle a little further right (off the floor's end
# and down to the ground, in time), so the player steps after it and swings again. The key script is grown a step at a time from the trace of the run before (walk
# until within reach, settle, swing). Checked: every hit takes one hit point (the first swing's
# damage), the player never gets hurt, and the killing hit is followed by the death's 38 ticks of
# hit-stop, after which the candle is gone, vanquishedCount is 1 and the live enemies are one fewer;
# when the data set has bones ("Collect"), bones fly out at that moment.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

python3 - "$BUILD_DIR/tools/runner" "$here" <<'EOF'
import os, sys

runner = sys.argv[1]
sys.path.insert(0, sys.argv[2])
from combat_steps import drive, health_drops

TICKS = 1800
REACH = (18, 42)  # the candle's centre ahead of the player's: clear of the wax, inside the swing

def swing(rows, t, presses):
    if any(int(r['vanquished']) for r in rows):
        return None
    presses.append(t)
    return t + 24  # past the swing, so the next press starts a new first swing

rows, holds, presses = drive(runner, TICKS, REACH, swing,
                             stop=lambda rows: any(int(r['vanquished']) for r in rows) or health_drops(rows))
if not any(int(r['vanquished']) for r in rows):
    sys.exit(f'FAIL: the candle still stands after {len(presses)} swings; last row {rows[-1]}')
assert abs(float(rows[0]['enemyX']) - 1000) < 1, rows[0]

failures = []
def check(ok, what):
    if not ok:
        failures.append(what)

dead = next(t for t, r in enumerate(rows) if int(r['vanquished']))
print(f'{len(presses)} swings at ticks {presses}; vanquished at tick {dead}')
check(all(int(r['health']) == 5 and int(r['invulnerable']) == 0 for r in rows[:dead + 1]),
      'the player was hurt on the way')

# One hit point a hit, each right after a swing; it never grew back.
hp = [float(r['enemyHp']) for r in rows[:dead]]
drops = [t for t in range(1, dead) if hp[t] != hp[t - 1]]
check(hp[0] == 4 and len(drops) == 4, f'hit points {hp[0]} taken in {len(drops)} steps at {drops}')
for t in drops:
    check(hp[t] == hp[t - 1] - 1, f'tick {t}: {hp[t - 1]} -> {hp[t]}')
    check(any(0 < t - p <= 12 for p in presses), f'tick {t}: a hit with no swing just before it')
check(len(presses) >= 4, f'only {len(presses)} swings')

# The killing hit, the death's hit-stop, then gone: vanquished, one enemy fewer.
kill = drops[-1] if drops else dead
check(35 <= dead - kill <= 42, f'killed at tick {kill}, gone at tick {dead}')
before, after = rows[dead - 1], rows[dead]
check(int(before['vanquished']) == 0 and int(after['vanquished']) == 1, 'vanquishedCount 0 -> 1')
check(int(after['enemies']) == int(before['enemies']) - 1, f"enemies {before['enemies']} -> {after['enemies']}")
check(all(int(r['vanquished']) == 1 for r in rows[dead:]), 'vanquishedCount stays 1')
check(all(int(r['enemies']) == int(after['enemies']) for r in rows[dead:dead + 60]), 'no enemy comes back')

# Bones: 1 to 6 fly out of the candle when it goes.
if os.path.exists('data/Data/Sprites/Global/Collect.man'):
    out = int(after['bones']) - int(before['bones'])
    check(1 <= out <= 6, f"bones {before['bones']} -> {after['bones']}")
    print(f'{out} bones flew out')
else:
    print('no bones in this data set yet: bones not checked')

if failures:
    print('\n'.join(failures[:20]))
    sys.exit(f'FAIL: {len(failures)} checks')
print('ok')
EOF
echo "runner combat, the candle vanquished: ok"
