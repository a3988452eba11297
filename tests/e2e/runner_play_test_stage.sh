#!/usr/bin/env bash
# The player on the "Test" stage, run from the runner with a key script: it stands on the flat start,
# runs right, jumps, lets go of jump early and lands on the flat again. The trace is checked against
# what the player's constants predict (run acceleration 0.15625 a tick up to 2.65625, jump speed
# 5.59375 off flat ground, gravity 0.28125 a tick, the early release cutting the rise to -0.9375,
# a flat landing keeping the horizontal speed divided by 1.5), and the frames standing and running
# show one hero in one set of colours, in two poses.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

# Right arrow (77) from tick 120, jump (S, 31) held over ticks 150-157.
printf '# run right, then a short jump\n120-215 77\n150-157 31\n' > keys.txt
"$BUILD_DIR/tools/runner" data 216 --stage Test --keys keys.txt --trace trace.csv \
    --png 119:stand.png --png 140:run.png

python3 - trace.csv <<'EOF'
import csv, math, struct, sys

ACCEL, MAX_RUN, FRICTION = 0.15625, 2.65625, 0.140625
JUMP_SPEED, GRAVITY, JUMP_CUT = 5.59375, 0.28125, -0.9375
RUN_FROM, JUMP_AT, RELEASE_AT = 120, 150, 158

def f32(value):
    return struct.unpack('f', struct.pack('f', value))[0]

rows = list(csv.DictReader(open(sys.argv[1])))
assert [int(r['tick']) for r in rows] == list(range(len(rows))), 'one row a tick'
for r in rows:
    for key in ('x', 'y', 'vx', 'vy', 'groundSpeed', 'angle'):
        r[key] = f32(float(r[key]))
    for key in ('plane', 'contactBottom', 'groundContact', 'health'):
        r[key] = int(r[key])
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

assert all(r['stage'] == 'Test' for r in rows), 'the Test stage from the first tick'
assert all(r['state'] == 'normal' for r in rows), {r['state'] for r in rows}

# Standing on the flat start before any key: on the ground, still, level.
for r in rows[60:RUN_FROM]:
    check(r['groundContact'] and r['contactBottom'] and r['angle'] == 0 and r['plane'] == 0
          and r['vx'] == r['vy'] == r['groundSpeed'] == 0 and r['y'] == rows[60]['y'],
          f"tick {r['tick']}: not standing still on flat ground: {r}")
floor_y = rows[RUN_FROM - 1]['y']

# The run: ground speed grows by the acceleration every tick, capped at the run speed; the body
# moves by the speed the previous tick left.
for t in range(RUN_FROM, JUMP_AT):
    r, before = rows[t], rows[t - 1]
    expected = min(ACCEL * (t - RUN_FROM + 1), MAX_RUN)
    check(r['groundSpeed'] == expected, f"tick {t}: ground speed {r['groundSpeed']}, expected {expected}")
    check(r['vx'] == before['groundSpeed'] and r['vy'] == 0 and r['y'] == floor_y,
          f"tick {t}: vx {r['vx']} vy {r['vy']} y {r['y']}, expected vx {before['groundSpeed']} on the floor")
    check(abs(r['x'] - (before['x'] + r['vx'])) < 1e-3, f"tick {t}: x {r['x']} after {before['x']} at {r['vx']}")
check(rows[JUMP_AT - 1]['groundSpeed'] == MAX_RUN, 'the run should reach its top speed before the jump')

# Take-off: straight up off flat ground (cos(-90 degrees) is 0), the ground left behind.
r = rows[JUMP_AT]
check(r['vy'] == -JUMP_SPEED and r['vx'] == MAX_RUN and r['groundContact'] == 0,
      f"take-off: vx {r['vx']} vy {r['vy']} ground {r['groundContact']}")

# The flight: gravity every tick, the release cutting the rise, the body moving by the speeds of
# the tick before; the landing tick is where the fall first reaches the floor again.
landing = next(t for t in range(JUMP_AT + 1, len(rows)) if rows[t]['groundContact'])
y, vy, predicted = floor_y, -JUMP_SPEED, None
for t in range(JUMP_AT + 1, len(rows)):
    if math.trunc(y + vy) >= math.trunc(floor_y) and vy >= 0:
        predicted = t
        break
    y += vy
    vy = (max(vy, JUMP_CUT) if t == RELEASE_AT else vy) + GRAVITY
check(landing == predicted, f"landing at tick {landing}, predicted {predicted}")
for t in range(JUMP_AT + 1, landing):
    r, before = rows[t], rows[t - 1]
    expected = (JUMP_CUT if t == RELEASE_AT else before['vy']) + GRAVITY
    check(r['vy'] == expected, f"tick {t}: vy {r['vy']}, expected {expected}")
    check(r['y'] == before['y'] + before['vy'] and r['x'] == before['x'] + before['vx'] and r['vx'] == MAX_RUN,
          f"tick {t}: ({r['x']}, {r['y']}) after ({before['x']}, {before['y']}) at ({before['vx']}, {before['vy']})")
check(rows[RELEASE_AT - 1]['vy'] + GRAVITY < JUMP_CUT, 'the release should come while rising faster than the cut')

# The landing on flat ground: the horizontal speed divided by 1.5, no vertical speed, the whole
# pixel of the floor it started on.
r, before = rows[landing], rows[landing - 1]
check(r['vx'] == f32(before['vx'] / 1.5) and r['vy'] == 0 and r['angle'] == 0,
      f"landing: vx {r['vx']} (expected {f32(before['vx'] / 1.5)}), vy {r['vy']}, angle {r['angle']}")
check(math.trunc(r['y']) == math.trunc(floor_y), f"landing: y {r['y']}, floor at {floor_y}")

# Running on after the landing, on the flat before the ramp: below the run speed the acceleration
# is added (it may pass the run speed once); above it, half the friction is taken off without going
# under the run speed.
flat_end = next((t for t in range(landing, len(rows)) if rows[t]['angle'] != 0), len(rows))
check(flat_end - landing > 10, f'the flat after the landing should last (ramp at tick {flat_end})')
for t in range(landing + 2, flat_end):
    before, speed = rows[t - 1]['groundSpeed'], rows[t]['groundSpeed']
    if before < MAX_RUN:
        expected = f32(before + ACCEL)
    elif before > MAX_RUN:
        expected = max(f32(before - FRICTION * 0.5), MAX_RUN)
    else:
        expected = MAX_RUN
    check(speed == expected, f"tick {t}: ground speed {speed} after {before}, expected {expected}")
check(rows[flat_end - 1]['groundSpeed'] == MAX_RUN, 'back at the run speed before the ramp')
check(all(r['health'] == 5 for r in rows), 'health stays 5')

if failures:
    print('\n'.join(failures[:20]))
    sys.exit(f'FAIL: {len(failures)} checks')
print(f'ok: ran from x {rows[RUN_FROM]["x"]} to {rows[JUMP_AT]["x"]}, jumped, landed at tick {landing} '
      f'at x {rows[landing]["x"]}')
EOF

# One hero in one set of colours: standing and running both show its shirt, sleeves and skin, and the
# two pictures differ by pose (the hero's pixels, taken from their top-left corner, are not the same).
python3 - stand.png run.png <<'EOF'
import sys
try:
    from PIL import Image
except ImportError:
    sys.path.append('/usr/lib/python3/dist-packages')
    from PIL import Image

SHIRT, SLEEVE, SKIN, PANTS, BOOTS = (56, 100, 224), (38, 70, 168), (240, 196, 150), (56, 52, 104), (78, 44, 20)
HERO = (SHIRT, SLEEVE, SKIN, PANTS, BOOTS)

def hero(path):
    with Image.open(path) as image:
        rgb = image.convert('RGB')
    pixels = rgb.load()
    found = {(x, y): pixels[x, y] for y in range(rgb.size[1]) for x in range(rgb.size[0]) if pixels[x, y] in HERO}
    left, top = min(x for x, _ in found), min(y for _, y in found)
    return {(x - left, y - top): colour for (x, y), colour in found.items()}

stand, run = hero(sys.argv[1]), hero(sys.argv[2])
for name, picture in (('standing', stand), ('running', run)):
    counts = {colour: list(picture.values()).count(colour) for colour in HERO}
    print(f'{name}: shirt {counts[SHIRT]}, sleeves {counts[SLEEVE]}, skin {counts[SKIN]}')
    if counts[SHIRT] < 8 or counts[SLEEVE] < 8 or counts[SKIN] < 10:
        sys.exit(f'FAIL: the {name} hero is not in its colours: {counts}')
if stand == run:
    sys.exit('FAIL: standing and running show the same picture')
EOF
echo "runner play on Test: ok"
