#!/usr/bin/env bash
# A CandleHead hits the player on the "Test" stage: the player walks right from the start, jumps up
# onto the one-way floor where the stage places the candle and walks into it. The touch takes one health
# point and knocks the player back, up and away from the candle, until it lands; it is invulnerable
# through the flight and 35 ticks after it, and blinks while the count runs (4 frames drawn, 4 not),
# which the frames show. The candle itself takes no damage from being walked into.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

# The key script is grown from the trace: walk to the candle, jumping up onto its floor, until it
# burns the player; then the run again with the last key let go at the touch (so the player does
# not come back for another) and every frame from just before it.
python3 - "$BUILD_DIR/tools/runner" "$here/png_colours.py" "$here" <<'EOF'
import subprocess, sys

runner, colours_script = sys.argv[1], sys.argv[2]
sys.path.insert(0, sys.argv[3])
from combat_steps import drive, health_drops, run

TICKS = 900
rows, holds, _ = drive(runner, TICKS, (-6, 6), lambda rows, t, presses: None, stop=health_drops)
hits = health_drops(rows)
if not hits:
    sys.exit(f'FAIL: the player was never hit; last row {rows[-1]}')
hit = hits[0]
holds = [(a, min(b, hit), key) for a, b, key in holds if a <= hit]
rows = run(runner, TICKS, holds, pngs=range(hit - 5, min(hit + 240, TICKS)))
assert health_drops(rows)[:1] == [hit], 'the same run up to the touch'
assert all(r['stage'] == 'Test' and r['x'] != '' for r in rows), 'the player on Test throughout'

num = lambda r, k: float(r[k])
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

# The placed candle is there from the start, with its full hit points, on the one-way floor.
first = rows[0]
check(int(first['enemies']) >= 1, f"no enemy placed on Test: {first}")
check(abs(num(first, 'enemyX') - 1000) < 1 and num(first, 'enemyHp') == 4, f"the candle: {first}")
check(num(rows[hit], 'enemyY') < 670 and num(rows[hit - 1], 'y') < 670, 'the touch up on the floor')

r, before = rows[hit], rows[hit - 1]
print(f"hit at tick {hit}: player x {before['x']}, candle x {before['enemyX']}")
check(int(r['health']) == 4, f"one health point lost: {r['health']}")
check(int(before['invulnerable']) == 0 and int(r['invulnerable']) == 35,
      f"invulnerable {before['invulnerable']} -> {r['invulnerable']}")
check(num(before, 'vx') > 0 and num(before, 'x') < num(before, 'enemyX'), 'the player walked into it from the left')
check(abs(num(before, 'x') - num(before, 'enemyX')) <= 16, 'the hit came on contact: the hot wax is 12 wide, the player 14')

# Knocked back: up, then away to the left at 2.5 a tick while it flies; it lands and stays.
flight = [t for t in range(hit, TICKS) if rows[t]['state'] not in ('normal', 'air')]
landed = flight[-1] + 1 if flight else hit
check(flight == list(range(hit, landed)) and 10 < len(flight) < 80, f'one flight, {len(flight)} ticks')
check(min(num(rows[t], 'vy') for t in flight) <= -5.0, 'knocked upward')
# (A wall or floor edge met on the way stops it short.)
speeds = [num(rows[t], 'vx') for t in flight]
check(all(v in (-2.5, 0.0) for v in speeds) and speeds.count(-2.5) >= len(flight) // 2,
      f"knocked left at 2.5: {speeds}")
check(num(rows[landed], 'x') < num(before, 'x') - 40, f"flew back: x {before['x']} -> {rows[landed]['x']}")
check(int(rows[landed]['groundContact']) != 0, 'landed on the ground')

# Invulnerable: 35 through the flight, then counting down a tick at a time to 0; no second hit.
blink = [t for t in range(hit, TICKS) if int(rows[t]['invulnerable']) > 0]
check(blink == list(range(hit, hit + len(blink))) and blink[-1] < TICKS - 1, 'one invulnerable run, over in time')
check(all(int(rows[t]['invulnerable']) == 35 for t in flight), 'no count-down in the flight')
counts = [int(rows[t]['invulnerable']) for t in blink if t >= landed]
check(counts and counts[0] >= 34 and all(a - b == 1 for a, b in zip(counts, counts[1:])) and counts[-1] == 1,
      f"counting down after the landing: {counts}")
check(all(int(row['health']) == 4 for row in rows[hit:]), 'no more health lost')
check(all(num(row, 'enemyHp') == 4 for row in rows), 'the candle takes no damage')

# The blink in the frames: the player's colours (shirt, sleeves, skin, pants, boots) vanish on the
# ticks whose count has bit 2 set and show on the others.
PLAYER = ['3864e0', '2646a8', 'f0c496', '383468', '4e2c14']
def player_pixels(t):
    out = subprocess.run([sys.executable, colours_script, f'frame{t}.png'] + PLAYER, capture_output=True,
                         text=True, check=True).stdout.split()
    return sum(int(n) for n in out[1:])
visible = [t for t in blink if not int(rows[t]['invulnerable']) & 4]
hidden = [t for t in blink if int(rows[t]['invulnerable']) & 4]
check(len(visible) >= 8 and len(hidden) >= 8, f"blink frames: {len(visible)} drawn, {len(hidden)} not")
shown = {t: player_pixels(t) for t in visible + hidden + [hit - 5, blink[-1] + 1]}
check(all(shown[t] == 0 for t in hidden), f"drawn while blinked out: {[(t, shown[t]) for t in hidden if shown[t]]}")
check(all(shown[t] > 40 for t in visible), f"missing while blinked in: {[(t, shown[t]) for t in visible if shown[t] <= 40]}")
check(shown[hit - 5] > 40 and shown[blink[-1] + 1] > 40, 'the player is drawn before the hit and after the blink')

if failures:
    print('\n'.join(failures[:20]))
    sys.exit(f'FAIL: {len(failures)} checks')
print(f"ok: hit at tick {hit}, flew {len(flight)} ticks, invulnerable for {len(blink)} ticks, "
      f"{len(hidden)} frames blinked out")
EOF
echo "runner combat, the candle hits the player: ok"
