#!/usr/bin/env bash
# "Boss Rush" fought to its end. The data folder gets a test-only properties file for the boss with
# 3 hit points in place of its 60 (the pack is removed so the loose files are read), so that a short
# key script can beat it: right held all along (the player walks up to the arena's right bound and,
# once the boss is beaten, on out of it) and the attack pressed every 20 ticks from tick 200.
# Checked on the trace: the boss hurts the player, the player is held inside the arena (x <= 668,
# its box in the picture) until the boss is beaten, then walks out past x 1056, and the stage
# becomes "Thanks For Playing!" with bossDefeated saved to "config.bfc". A second run with the
# boss's own 60 hit points shows the same swings do not end the fight. Frames of the arena, the
# fight, the beaten boss and the walk-out, picked by the trace, are kept as evidence.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"
rm data/data.ch3
vep=data/Data/Sprites/Bosses/HaystackKing/HaystackKing.vep
cp "$vep" full.vep

TICKS=1500
{
    echo "0-$((TICKS - 1)) 77"
    for ((t = 200; t < TICKS; t += 20)); do
        echo "$t 30 down"
        echo "$((t + 1)) 30 up"
    done
} > keys.txt

# The properties file: 15 values of 4 bytes, then the hit points.
python3 - "$vep" 3 <<'EOF'
import sys
path, hp = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, 'rb').read())
assert data[60] == 60, f'the boss has {data[60]} hit points, not 60'
data[60] = hp
open(path, 'wb').write(data)
EOF
# A frame every 10 ticks; the evidence is picked from them by what the trace shows.
mkdir frames
pngs=()
for ((t = 0; t < TICKS; t += 10)); do pngs+=(--png "$t:frames/$t.png"); done
"$BUILD_DIR/tools/runner" data "$TICKS" --stage "Boss Rush" --keys keys.txt --trace trace.csv \
    --watch HaystackKing:1 "${pngs[@]}"

evidence="$BUILD_DIR/e2e-evidence/runner_boss_rush"
rm -rf "$evidence"
mkdir -p "$evidence"

python3 - "$evidence" <<'EOF'
import csv, os, shutil, sys
evidence = sys.argv[1]

rows = list(csv.DictReader(open('trace.csv')))
assert [int(r['tick']) for r in rows] == list(range(len(rows))), 'one row a tick'
failures = []
def check(ok, what):
    if not ok:
        failures.append(what)

thanks = next((t for t, r in enumerate(rows) if r['stage'] == 'Thanks For Playing!'), None)
if thanks is None:
    sys.exit(f'FAIL: the stage never became "Thanks For Playing!"; last row {rows[-1]}')
check(all(r['stage'] == 'Boss Rush' for r in rows[:thanks]), 'another stage before the thanks stage')
fight = rows[:thanks]
xs = [float(r['x']) for r in fight]
lives = {r['lives'] for r in fight}
check(len(lives) == 1, f'the player lost a life: {lives}')
hurt = [t for t in range(1, thanks) if int(fight[t]['health']) < int(fight[t - 1]['health'])]
check(len(hurt) >= 1, 'the boss never hurt the player')

# Held in the arena until the boss is beaten, then out past the far side before the fade ends.
out = next((t for t, x in enumerate(xs) if x > 668), None)
check(out is not None, 'the player never left the arena')
if out is not None:
    check(all(x <= 668 for x in xs[:out]), 'the player passed the arena bound during the fight')
    # Held by the bound (then the screen's right edge), the player's box (7 px a side) is in view.
    held = [r for r in fight[:out] if r['contactRight'] == '255']
    check(len(held) > 0, 'the player never stood against the arena bound')
    check(all(float(r['x']) + 7 < int(r['scrollX']) + 424 for r in held),
          'the player\'s box passed the right edge of the picture at the bound')
    check(all(t < out for t in hurt), 'the player was hurt after the boss was beaten')
    check(max(xs) > 1056, f'the walk-out stopped at x {max(xs)}')
    past = next(t for t, x in enumerate(xs) if x > 1056) if max(xs) > 1056 else thanks
    check(0 < thanks - past <= 200, f'past x 1056 at tick {past}, the thanks stage at {thanks}')
    print(f'hurt at ticks {hurt}; out of the arena at tick {out}, past x 1056 at tick {past}, '
          f'"Thanks For Playing!" at tick {thanks}')
    # Evidence: the arena, the fight, the boss beaten, and the walk-out as the way out opens (the
    # bound then opens 2 px a tick, slower than the walk, and the player leaves the picture).
    beaten = next((t for t, r in enumerate(fight) if r['HaystackKing:1.hp'] and float(r['HaystackKing:1.hp']) <= 0),
                  out)
    for name, tick in (('arena', 60), ('fight', (200 + beaten) // 2), ('beaten', beaten + 60), ('walkout', out + 10)):
        shutil.copy(f'frames/{tick // 10 * 10}.png', f'{evidence}/{name}.png')

# bossDefeated (the last byte) saved in the runner's working folder, the data folder.
config = 'data/config.bfc'
check(os.path.exists(config), 'no config.bfc')
if os.path.exists(config):
    saved = open(config, 'rb').read()
    check(len(saved) == 39 and saved[38] == 1, f'config.bfc: {len(saved)} bytes, last {saved[-1:]}')

if failures:
    print('\n'.join(failures))
    sys.exit(f'FAIL: {len(failures)} checks')
EOF

# The boss's own hit points: the same swings leave it standing and the stage stays.
cp full.vep "$vep"
rm -f data/config.bfc
"$BUILD_DIR/tools/runner" data "$TICKS" --stage "Boss Rush" --keys keys.txt --trace full.csv
python3 - <<'EOF'
import csv, sys
rows = list(csv.DictReader(open('full.csv')))
stages = {r['stage'] for r in rows}
if stages != {'Boss Rush'}:
    sys.exit(f'FAIL: with 60 hit points the stage went on to {stages}')
if any(r['x'] and float(r['x']) > 668 for r in rows):
    sys.exit('FAIL: with 60 hit points the player left the arena')
EOF
echo "runner boss rush: ok"
