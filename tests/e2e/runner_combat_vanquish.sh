#!/usr/bin/env bash
# The player whips the CandleHead on the "Test" stage until it is vanquished. The player walks up to
# the candle on the flat top of the first rise, stops within reach of its swing but clear of the hot
# wax, and swings; each hit knocks the candle a little further right, so the player steps after it
# and swings again. The key script is grown a step at a time from the trace of the run before (walk
# until within reach, settle, swing). Checked: every hit takes one hit point (the first swing's
# damage), the player never gets hurt, and the killing hit is followed by the death's 38 ticks of
# hit-stop, after which the candle is gone, vanquishedCount is 1 and the live enemies are one fewer;
# when the data set has bones ("Collect"), bones fly out at that moment.
set -euo pipefail
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
cd "$work_dir"
"$BUILD_DIR/tools/datakit" build data >/dev/null

python3 - "$BUILD_DIR/tools/runner" <<'EOF'
import csv, os, subprocess, sys

runner = sys.argv[1]
TICKS = 1200
REACH = (18, 42)   # the candle's centre ahead of the player's: clear of the wax, inside the swing
holds, presses = [], []

def run():
    with open('keys.txt', 'w') as keys:
        keys.writelines(f'{a}-{b} 77\n' for a, b in holds)
        keys.writelines(f'{t} 30 down\n{t + 1} 30 up\n' for t in presses)
    subprocess.run([runner, 'data', str(TICKS), '--stage', 'Test', '--keys', 'keys.txt', '--trace', 'trace.csv'],
                   check=True)
    return list(csv.DictReader(open('trace.csv')))

def gap(r):
    return float(r['enemyX']) - float(r['x'])

def settled(rows, t):
    r, before = rows[t], rows[t - 1]
    return (r['state'] == 'normal' and int(r['groundContact']) and float(r['groundSpeed']) == 0.0 and
            r['enemyX'] != '' and r['enemyX'] == before['enemyX'] and r['enemyY'] == before['enemyY'])

def walk_ticks(distance):
    # Ticks of right held for the run-up and the slide after it to cover about that distance.
    k = 1
    while k < 60 and 0.078 * k * k + (0.15625 * k) ** 2 / 0.28 < distance:
        k += 1
    return k

# The candle starts right of the start, on the first rise's flat top.
rows = run()
assert rows[0]['enemyX'] != '' and abs(float(rows[0]['enemyX']) - 512) < 1, rows[0]
cur = 1
for step in range(60):
    if any(int(r['vanquished']) for r in rows):
        break
    t = next((t for t in range(cur, TICKS) if settled(rows, t)), None)
    if t is None:
        sys.exit(f'FAIL: nothing settled after tick {cur}: {rows[cur]}')
    d = gap(rows[t])
    if d < REACH[0]:
        sys.exit(f'FAIL: the player came too close at tick {t}: gap {d}')
    if d > REACH[1]:
        k = walk_ticks(d - (REACH[0] + REACH[1]) / 2)
        holds.append((t, t + k - 1))
        cur = t + k + 1
    else:
        presses.append(t)
        cur = t + 24  # past the swing, so the next press starts a new first swing
    rows = run()
else:
    sys.exit(f'FAIL: the candle still stands after {len(presses)} swings; last row {rows[-1]}')

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
