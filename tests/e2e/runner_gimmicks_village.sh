#!/usr/bin/env bash
# The stage gimmicks played with key scripts. Village 1: the player pushes the wagon along the top
# of the first hill, jumps onto its deck and rides it down through the corn, which bends and brakes
# the cart; then, on foot, a swing cuts stalks and another breaks the wall in the floor by the house.
# Test: a player dropped onto the swinging platform over the hill is carried to and fro on it.
# Runs start next to what they test (--start-at); the watched instances' columns carry the wagon
# body (Wagon:0), the stalks (Corn:1-8), the wall (BreakWall:0) and the player's trace the rest.
set -euo pipefail
source "$(dirname "$0")/data_folder.bash"

stalks=()
for i in 1 2 3 4 5 6 7 8; do stalks+=(--watch "Corn:$i"); done

# Ride: right held from the hill's side into the wagon (pushing it), a jump onto the deck at 85.
printf '0-115 77\n85-99 31\n' > ride.txt
"$BUILD_DIR/tools/runner" data 300 --stage "Village 1" --keys ride.txt --trace ride.csv --start-at 560,620 \
    --watch Wagon:0 "${stalks[@]}" --png 110:ride-deck.png --png 215:ride-corn.png

# On foot: a swing at the corn at 60, a walk on to the wall and a swing at it at 150.
printf '30-44 77\n60 30 down\n61 30 up\n90-136 77\n150 30 down\n151 30 up\n' > foot.txt
"$BUILD_DIR/tools/runner" data 240 --stage "Village 1" --keys foot.txt --trace foot.csv --start-at 1040,680 \
    --watch BreakWall:0 "${stalks[@]}" --png 75:cut.png --png 160:wall.png --png 230:hole.png

# A platform: no keys at all, the player dropped over the slab swinging over Test's hill.
"$BUILD_DIR/tools/runner" data 240 --stage Test --trace platform.csv --start-at 640,380 \
    --png 60:platform-left.png --png 130:platform-right.png

python3 - <<'EOF'
import csv

def rows_of(path):
    rows = list(csv.DictReader(open(path)))
    assert [int(r['tick']) for r in rows] == list(range(len(rows))), path + ': one row a tick'
    return rows

TILE_LIMIT = 255  # contact slots up to here name a tile layer or a camera bound; above, an object
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

# ---- the ride ----
ride = rows_of('ride.csv')
check(all(r['stage'] == 'Village 1' and r['state'] == 'normal' for r in ride),
      {(r['stage'], r['state']) for r in ride})
on = [r for r in ride if int(r['groundContact']) > TILE_LIMIT]
check(len(on) > 100, f'on the deck for {len(on)} ticks')
if on:
    cart = on[0]['groundContact']
    board, last = int(on[0]['tick']), int(on[-1]['tick'])
    check(all(r['groundContact'] == cart for r in ride[board:last + 1]), 'one wagon carries the player throughout')
    wx = [float(r['Wagon:0.x']) for r in ride]
    check(wx[board] < 800 and wx[last] > 1200, f'ridden from x {wx[board]} to {wx[last]}, through the corn')
    # Carried: the player moves with the cart's whole-pixel steps once it rolls on its own.
    drift = max(abs((float(ride[t]['x']) - float(ride[t - 1]['x'])) - (wx[t] - wx[t - 1]))
                for t in range(board + 40, last + 1))
    check(drift < 1.5, f'the player strays {drift:.2f} px a tick from the cart under it')
    # The corn brakes the cart: from its top speed on the way down to about 3 in the field.
    speed = {t: wx[t] - wx[t - 1] for t in range(1, len(ride))}
    top = max(speed[t] for t in speed if 1000 <= wx[t] <= 1064)
    leaving = next(t for t in speed if wx[t] > 1180)
    check(top > 4.5 and speed[leaving] < 3.3, f'speed {top:.2f} into the corn, {speed[leaving]:.2f} leaving it')
bent = {i for i in range(1, 9) for r in ride if r[f'Corn:{i}.frame'] not in ('', '5')}
check(len(bent) >= 4, f'stalks bent by the cart: {sorted(bent)}')

# ---- the cut and the wall ----
foot = rows_of('foot.csv')
check(all(r['state'] == 'normal' for r in foot), {r['state'] for r in foot})
before, after = foot[59], foot[80]
cut = [i for i in range(1, 9) if float(after[f'Corn:{i}.hp']) < 200 and after[f'Corn:{i}.anim'] != before[f'Corn:{i}.anim']]
check(all(float(before[f'Corn:{i}.hp']) == 200 for i in range(1, 9)), 'no stalk hit before the swing')
check(len(cut) >= 1, 'the swing cuts a stalk (it takes the hit and changes its picture)')
check(all(r['BreakWall:0.alive'] == '1' and r['BreakWall:0.count'] == '1' for r in foot[:150]), 'the wall stands')
gone = next((int(r['tick']) for r in foot if r['BreakWall:0.alive'] == '0'), None)
check(gone is not None and 150 <= gone <= 160, f'the wall breaks at tick {gone}')
if gone is not None:
    check(int(foot[gone + 1]['BreakWall:0.count']) > 1, 'the wall leaves its pieces')
    check(foot[-1]['BreakWall:0.count'] == '0', 'the pieces fall away')

# ---- the platform ----
plat = rows_of('platform.csv')
riding = [r for r in plat if int(r['groundContact']) > TILE_LIMIT]
check(len(riding) > 150, f'on the platform for {len(riding)} ticks')
if riding:
    xs = [float(r['x']) for r in riding]
    check(max(xs) - min(xs) > 40, f'carried over {max(xs) - min(xs):.1f} px with no key held')
    check(len({r['y'] for r in riding}) == 1, 'standing level on the slab')

if failures:
    raise SystemExit('FAIL:\n  ' + '\n  '.join(map(str, failures)))
print(f'rode from tick {board} to {last}; cut stalks {cut}; the wall broke at tick {gone}; '
      f'carried {max(xs) - min(xs):.0f} px on the platform')
EOF
for png in ride-deck.png ride-corn.png cut.png wall.png hole.png platform-left.png platform-right.png; do
    [ -s "$png" ] || { echo "FAIL: no $png"; exit 1; }
done
if [ -n "${KEEP_DIR:-}" ]; then mkdir -p "$KEEP_DIR" && cp ./*.csv ./*.png "$KEEP_DIR/"; fi
echo "runner gimmicks in Village 1 and Test: ok"
