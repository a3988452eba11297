#!/usr/bin/env bash
# Crossing the pit on "Test" on the rope, from the runner with a key script: run right, jump off the
# pit's left edge, throw up and right (grapple with Up and Right held), hook the beam's underside and
# swing (the horizontal speed changes sign), reel the line in and out (Up and Down), zip up to the
# hook, throw again up and right from the top of the zip and hook the beam again, jump off the rope
# while swinging right, let the whip come back, and land on the far side of the pit. The trace's whip columns tell
# each step. The frames of the hanging and the zip are kept as evidence and show the rope's shed
# debris small; all frames and the trace are kept in KEEP_DIR when it is set.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"

"$BUILD_DIR/tools/runner" data 800 --stage Test --keys "$here/swing_test_stage.keys" --trace trace.csv \
    --png 540:hooked.png --png 666:zip.png --png 690:rehooked.png --png 760:landed.png

python3 - trace.csv <<'PY'
import csv, sys

rows = list(csv.DictReader(open(sys.argv[1])))
assert [int(r['tick']) for r in rows] == list(range(len(rows))), 'one row a tick'
for r in rows:
    for key in ('x', 'y', 'vx', 'vy', 'tipX', 'tipY'):
        r[key] = float(r[key])
    for key in ('whipState', 'joints', 'lineLength', 'groundContact'):
        r[key] = int(r[key])

PIT_LEFT, PIT_RIGHT, BEAM_UNDERSIDE, GROUND = 1120, 1312, 604, 716
SWING, ZIP, RETRACT = 4, 5, 3
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

def first(pred, start=0):
    return next((t for t in range(start, len(rows)) if pred(rows[t])), None)

# The first hook: taken in the air from a jump off the left edge, on the beam's underside.
hook = first(lambda r: r['whipState'] == SWING)
assert hook is not None, 'the whip never hooked'
r = rows[hook]
check(r['groundContact'] == 0 and PIT_LEFT - 40 < r['x'] < PIT_LEFT + 20, f'hooked from the ground or far from the edge: {r}')
check(PIT_LEFT < r['tipX'] < PIT_RIGHT and BEAM_UNDERSIDE <= r['tipY'] < BEAM_UNDERSIDE + 3, f'the hook is not on the beam: {r}')
launched = max(t for t in range(hook) if rows[t]['groundContact'])
check(rows[launched]['y'] + 16 == GROUND and rows[launched]['x'] < PIT_LEFT, f'the jump did not leave the left edge: {rows[launched]}')

# The swing: on the rope, the horizontal speed goes from right to left.
zip_start = first(lambda r: r['whipState'] == ZIP, hook)
assert zip_start is not None, 'no zip'
swing = rows[hook:zip_start]
check(all(r['whipState'] == SWING for r in swing), 'let go before the zip')
signs = [r['vx'] > 0.5 for r in swing if abs(r['vx']) > 0.5]
check(True in signs and False in signs, f'vx never changed sign on the swing: {[round(r["vx"], 2) for r in swing]}')
check(all(r['y'] > BEAM_UNDERSIDE for r in swing), 'swung above the beam')

# Reeling: Up shortens the line 1 px a tick, Down pays it out again.
line = {t: rows[t]['lineLength'] for t in range(hook, zip_start)}
check(line[616] - line[600] == -16 * 256 or line[615] - line[599] == -16 * 256, f'line in: {line[599]} -> {line[616]}')
check(line[641] - line[625] == 16 * 256 or line[640] - line[624] == 16 * 256, f'line out: {line[624]} -> {line[641]}')

# The zip: the set length comes down 5 px, then 1.25 px more each tick, up to the hook.
zip_end = first(lambda r: r['whipState'] != ZIP, zip_start)
drops = [rows[t - 1]['lineLength'] - rows[t]['lineLength'] for t in range(zip_start + 1, zip_end)]
check(drops and drops[0] == 1280 + 320, f'zip drops {drops}')
check(all(b - a == 320 for a, b in zip(drops, drops[1:]) if rows[zip_start + 1 + drops.index(b)]['lineLength'] > 0),
      f'zip speeds grow by 1.25 px: {drops}')
top = rows[zip_end]
check(abs(top['y'] - BEAM_UNDERSIDE) < 24 and rows[zip_end]['whipState'] == 0, f'the zip did not bring the player up to the hook: {top}')

# The second hook, on the beam again.
rehook = first(lambda r: r['whipState'] == SWING, zip_end)
assert rehook is not None, 'no second hook'
check(rows[rehook]['tipY'] >= BEAM_UNDERSIDE and PIT_LEFT < rows[rehook]['tipX'] < PIT_RIGHT, f'second hook: {rows[rehook]}')
check(all(r['joints'] == 0 for r in rows), 'the rope bent on a swing that passes clear of the tooth')

# Jumping off: the whip lets go (retracts) while the player is thrown up and right, and the whip is
# home a few ticks later.
jump = first(lambda r: r['whipState'] == RETRACT, rehook)
assert jump is not None, 'never jumped off'
r, before = rows[jump], rows[jump - 1]
check(r['state'] == 'air' and r['vy'] < -2 and r['vx'] > before['vx'] * 1.3, f'jump-off: {before} -> {r}')
home = first(lambda r: r['whipState'] == 0, jump)
check(home is not None and home - jump < 8, f'retracted at {home}')

# Landing on the far side of the pit, on the ground.
land = first(lambda r: r['groundContact'] != 0, jump)
assert land is not None, 'never landed'
r = rows[land]
check(r['x'] >= PIT_RIGHT and r['y'] + 16 <= GROUND + 1, f'landed in the pit or short of it: {r}')
check(rows[-1]['x'] > PIT_RIGHT + 100 and rows[-1]['state'] == 'normal', f'did not run on: {rows[-1]}')

if failures:
    print('\n'.join(failures[:20]))
    sys.exit(f'FAIL: {len(failures)} checks')
print(f'ok: hooked at tick {hook} ({rows[hook]["tipX"]:.0f}, {rows[hook]["tipY"]:.0f}), zip {zip_start}-{zip_end}, '
      f'hooked again at {rehook}, jumped off at {jump}, landed at {land} at x {rows[land]["x"]:.1f}')
PY

for png in hooked.png zip.png rehooked.png landed.png; do [ -s "$png" ] || { echo "FAIL: no $png"; exit 1; }; done
evidence="$BUILD_DIR/e2e-evidence/runner_swing_test_stage"
mkdir -p "$evidence"
cp hooked.png zip.png "$evidence/"
if [ -n "${KEEP_DIR:-}" ]; then mkdir -p "$KEEP_DIR" && cp trace.csv ./*.png "$KEEP_DIR/"; fi

# The rope sheds a piece a tick while it hangs and zips: grit and fibres in the three dust colours of
# the effects' palette, each a few pixels, never a chunk.
python3 - hooked.png zip.png <<'PY'
import sys
try:
    from PIL import Image
except ImportError:
    sys.path.append('/usr/lib/python3/dist-packages')
    from PIL import Image

DEBRIS = {(222, 206, 170), (186, 164, 124), (134, 112, 80)}
for path in sys.argv[1:]:
    with Image.open(path) as image:
        rgb = image.convert('RGB')
    width, height = rgb.size
    pixels = rgb.load()
    left = {(x, y) for y in range(height) for x in range(width) if pixels[x, y] in DEBRIS}
    pieces = []
    while left:
        todo, piece = [left.pop()], []
        while todo:
            x, y = todo.pop()
            piece.append((x, y))
            for near in ((x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1)):
                if near in left:
                    left.remove(near)
                    todo.append(near)
        xs, ys = [x for x, _ in piece], [y for _, y in piece]
        pieces.append((max(xs) - min(xs) + 1, max(ys) - min(ys) + 1))
    big = [p for p in pieces if max(p) > 5]
    if len(pieces) < 8 or big:
        sys.exit(f'FAIL: {path}: {len(pieces)} pieces of debris, too big: {big}')
    print(f'{path}: {len(pieces)} pieces of debris, the largest {max(max(p) for p in pieces)} px across')
PY
echo "runner swing on Test: ok"
