#!/usr/bin/env bash
# The boss arenas in frame at 424x240: "Village 1" (the player put near the arena's left end) and
# "Boss Rush", each fought for 900 ticks with a short key script (walk in, then a swing every 24
# ticks, now and then a step back), a frame written every 10 ticks. From the trace (the boss
# watched, the camera's scroll) the test picks the frames mid-fight where the boss stands on the
# arena's floor and the player stands within 140 px of it, with no dust or bale of the boss's up
# (its landing dust, drawn in front on the floor, can hide the player), and measures both sprites on
# those frames by their colours: the boss from its feet to its crown, and the player, must lie
# wholly inside the picture, clear of its edges. Checked besides: at least three such frames in each
# arena; the floor in the bottom quarter of the picture; and the boss's crown, where a jump carries
# it above the picture, back in it within 24 ticks. Frames with the player against the arena's right
# bound are not measured: there the bound holds its box, not its drawing, inside (runner_boss_rush
# checks the box), and the hat brim reaches a pixel past. Two of the frames of each arena are kept
# as evidence. (The boss's frames here include its crouch before a jump and its landing, a little
# lower than its stance.)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"
evidence="$BUILD_DIR/e2e-evidence/runner_boss_arenas"
rm -rf "$evidence"
mkdir -p "$evidence"

TICKS=900
# Walk in (Right 77), swing (A 30) every 24 ticks, step back (Left 75) and in again now and then.
keys() {
    echo "2-$1 77"
    for ((t = $1 + 20; t < TICKS; t += 24)); do echo "$t 30 down"; echo "$((t + 1)) 30 up"; done
    for t in 300 620; do echo "$t-$((t + 20)) 75"; echo "$((t + 40))-$((t + 62)) 77"; done
}

# name, stage, floor, start (or "-"), walk-in ticks
arenas=("village|Village 1|716|4300,690|70" "bossrush|Boss Rush|480|-|80")
for arena in "${arenas[@]}"; do
    IFS='|' read -r name stage floor start walk <<< "$arena"
    keys "$walk" > "$name.keys"
    pngs=()
    for ((t = 100; t < TICKS; t += 10)); do pngs+=(--png "$t:$name-$t.png"); done
    start_at=()
    [[ "$start" != - ]] && start_at=(--start-at "$start")
    "$BUILD_DIR/tools/runner" data "$TICKS" --stage "$stage" "${start_at[@]}" --keys "$name.keys" \
        --trace "$name.csv" --watch HaystackKing:1 "${pngs[@]}"
    python3 - "$here" "$name" "$floor" "$evidence" <<'EOF'
import csv, shutil, sys
here, name, floor, evidence = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
sys.path.insert(0, here)
from sprite_extents import extents

rows = list(csv.DictReader(open(f'{name}.csv')))
failures = []
def check(ok, what):
    if not ok:
        failures.append(f'{name}: {what}')

# The boss's colours (hay, its light and dark straw, the crown and its spikes) and the hero's (skin,
# shirt, sleeves, trousers, gloves: the hat and boots are too near the ground's browns); the frame's
# colours may be a step off the palette's.
boss_colours = [(222, 184, 74), (160, 120, 40), (250, 226, 130), (250, 200, 30), (190, 120, 10)]
hero_colours = [(240, 196, 150), (56, 100, 224), (38, 70, 168), (56, 52, 104), (232, 176, 96)]
feet = 60  # the body's feet lie this far under its position

def boss(row):
    return float(row['HaystackKing:1.x']), float(row['HaystackKing:1.y'])

picked = []
for row in rows:
    tick = int(row['tick'])
    if tick < 100 or tick % 10 or row['HaystackKing:1.alive'] != '1' or row['x'] == '':
        continue
    bx, by = boss(row)
    standing = abs(by + feet - floor) <= 1 and float(row['HaystackKing:1.vy']) == 0
    # The player stands, and is drawn: no blink after a hit. Against the arena's right bound (the
    # screen's edge) only its box is held inside (runner_boss_rush checks it): its hat brim reaches a
    # pixel past.
    grounded = row['groundContact'] != '0' and abs(float(row['y']) + 16 - floor) <= 2 and \
        row['state'] == 'normal' and row['invulnerable'] == '0' and row['contactRight'] != '255'
    # Nothing of the boss's but the controller and the body: its dust, on the floor and drawn in
    # front, can hide the player (and the boss's feet) for a while after each landing.
    clear = row['HaystackKing:1.count'] == '2'
    if standing and grounded and clear and abs(float(row['x']) - bx) < 140:
        picked.append(row)
check(len(picked) >= 3, f'only {len(picked)} frames with the boss standing and the player near it')

crowns = []
for row in picked:
    tick, png = int(row['tick']), f'{name}-{row["tick"]}.png'
    sx, sy = int(row['scrollX']), int(row['scrollY'])
    bx, by = boss(row)
    px, py = float(row['x']), float(row['y'])
    (count, left, top, right, bottom), (width, height) = extents(
        png, (int(bx) - sx - 60, int(by) - sy + feet - 138, int(bx) - sx + 60, int(by) - sy + feet + 2), 8,
        boss_colours)
    inside = count > 0 and left > 0 and top > 0 and right < width - 1 and bottom < height - 1
    check(inside and bottom - top >= 100,
          f'tick {tick}: the standing boss at ({bx}, {by}) is not whole in the picture: {count} pixels '
          f'in {left}-{right} x {top}-{bottom} of {width} x {height}')
    if count:
        crowns.append(int(by) - sy - top)
    (count, left, top, right, bottom), _ = extents(
        png, (int(px) - sx - 24, int(py) - sy - 30, int(px) - sx + 24, int(py) - sy + 20), 8, hero_colours)
    inside = count > 0 and left > 0 and top > 0 and right < width - 1 and bottom < height - 1
    check(inside and bottom - top >= 14,
          f'tick {tick}: the player at ({px}, {py}) is not whole in the picture: {count} pixels '
          f'in {left}-{right} x {top}-{bottom}')
    check(floor - sy >= height * 3 // 4, f'tick {tick}: the floor is at {floor - sy} of {height}')
for row in picked[:1] + picked[len(picked) // 2:len(picked) // 2 + 1]:
    shutil.copy(f'{name}-{row["tick"]}.png', f'{evidence}/{name}-{row["tick"]}.png')

# Jumps, once the body has come down onto the floor: the crown (as high over the body's position as
# measured above, the middle of the measures: a bale may stand over the body) above the picture's
# top for at most 24 ticks at a time.
crown = sorted(crowns)[len(crowns) // 2] if crowns else None
if crown is not None:
    run, longest = 0, 0
    landed = next(i for i, row in enumerate(rows) if row['HaystackKing:1.alive'] == '1' and
                  abs(boss(row)[1] + feet - floor) <= 1)
    for row in rows[landed:]:
        above = row['HaystackKing:1.alive'] == '1' and row['scrollY'] != '' and \
            boss(row)[1] - int(row['scrollY']) - crown < 0
        run = run + 1 if above else 0
        longest = max(longest, run)
    check(longest <= 24, f'the crown stays above the picture for {longest} ticks')
    print(f'{name}: {len(picked)} frames checked; the crown {crown} px over the body; '
          f'above the picture for at most {longest} ticks at a time')

if failures:
    print('\n'.join(failures))
    sys.exit(f'FAIL: {len(failures)} checks')
EOF
done
echo "runner boss arenas: ok"
