#!/usr/bin/env bash
# The grey-box game played from its first tick (no --stage) in one runner run with one fixed key
# script: the WIP disclaimer, the two splashes and the title screen without input; Return on the
# title main menu ("Start Game"); the Graveyard walked right and jumped at its route's jump points
# to its top exit; the fade into Village 1; Village 1 walked right with a jump over each enemy on
# the road, into the boss arena near its far end; the boss, on its own 60 hit points, fought until
# beaten; its ending (card, walk-out, fade) into "Thanks For Playing!"; a press of Jump there; and
# The Bone Zone.
# The road's keys were found by experiment on the traces (the jump ticks are where the player,
# walking, would otherwise be hurt). The fight's keys, from the tick the player stands in the arena
# (4584), are in playthrough_fight.keys, grown by grow_fight.py; its first line says the tick the
# boss's hit points reached 0, and the walk-out follows from there. When the fight changes (the
# boss, the arena, the player's moves), grow it again:
#   bash tests/e2e/runner_playthrough.sh --road road.keys
#   python3 tests/e2e/grow_fight.py build/linux --keys road.keys --from 4584 > tests/e2e/playthrough_fight.keys
# Checked: the stages come in that order, the player stands at Village 1's start after the
# Graveyard exit, the road and the fight are played without a life lost, bossDefeated is saved to
# config.bfc, and the thanks and Bone Zone frames show those stages. Frames of each stage are kept as
# evidence.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

# Ticks: Return on the title at 1130 (the title starts at 1050, its menu has glided in by 1130);
# right held from the Graveyard's start (1195) to the arena (4584); Jump held at each jump point.
START=1130 GRAVEYARD=1195 ARENA=4584
road() {
    echo "$START 28 down"
    echo "$((START + 1)) 28 up"
    echo "$GRAVEYARD-$((ARENA - 1)) 77"
    # Graveyard: the step at x 1472, the three one-way floors, the step at x 2560.
    for t in 1777 1844 1895 1950 2267; do echo "$t-$((t + 23)) 31"; done
    # Village 1: over the candles, the walkers and the ghost on the road (tick:held ticks).
    for jump in 2764:20 3240:20 3270:6 3496:12 3542:12 3738:12 4024:12 4207:12; do
        echo "${jump%:*}-$((${jump%:*} + ${jump#*:} - 1)) 31"
    done
}
if [[ "${1:-}" == --road ]]; then
    road > "$2"
    exit 0
fi

fight="$here/playthrough_fight.keys"
beaten=$(sed -n '1s/.*beaten at tick \([0-9][0-9]*\).*/\1/p' "$fight")
[[ -n "$beaten" ]] || { echo "FAIL: $fight does not say when the boss is beaten"; exit 1; }
# Right held from just after the boss's hit points reach 0 until the thanks stage; Jump there.
BEATEN=$((beaten + 20)) WALKED=$((beaten + 520)) PRESS=$((beaten + 730)) TICKS=$((beaten + 980))

source "$here/data_folder.bash"
{
    road
    grep -v '^#' "$fight"
    echo "$BEATEN-$WALKED 77"
    # Thanks For Playing!: Jump goes on.
    echo "$PRESS 31 down"
    echo "$((PRESS + 1)) 31 up"
} > keys.txt
"$BUILD_DIR/tools/runner" data "$TICKS" --keys keys.txt --trace trace.csv \
    --png 120:disclaimer.png --png 1125:title.png --png 1500:graveyard.png --png 2700:village.png \
    --png 4600:arena.png --png $((beaten + 300)):beaten.png --png $((PRESS - 10)):thanks.png \
    --png $((TICKS - 1)):bone-zone.png

evidence="$BUILD_DIR/e2e-evidence/runner_playthrough"
mkdir -p "$evidence"
cp ./*.png "$evidence/"

python3 - "$here" "$PRESS" <<'EOF2'
import csv, os, subprocess, sys
here, press = sys.argv[1], int(sys.argv[2])
rows = list(csv.DictReader(open('trace.csv')))
assert [int(r['tick']) for r in rows] == list(range(len(rows))), 'one row a tick'
firsts = []
for tick, row in enumerate(rows):
    if not firsts or firsts[-1][0] != row['stage']:
        firsts.append((row['stage'], tick))
print('stages:', ', '.join(f'{name} from tick {tick}' for name, tick in firsts))
names = [name for name, _ in firsts]
road = ['WIP Disclaimer', 'Orlenvast Splash', 'Palvic Splash', 'Title Screen', 'Graveyard', 'Village 1',
        'Thanks For Playing!', 'The Bone Zone']
if names != road:
    last = next((r for r in reversed(rows) if r['x'] != ''), rows[-1])
    sys.exit(f'FAIL: the stages were {names}; the player was last seen at {last}')
first = dict(firsts)
failures = []
def check(ok, what):
    if not ok:
        failures.append(what)

# Village 1 starts with its player at (64, 700), after the Graveyard's exit over the top.
village = rows[first['Village 1']]
check(village['state'] == 'normal' and abs(float(village['x']) - 64) < 3 and abs(float(village['y']) - 700) < 3,
      f'the player at the start of Village 1: {village}')
graveyard = rows[first['Graveyard']:first['Village 1']]
check(graveyard[-1]['state'] == 'none', 'the Graveyard was left without its exit taking the state')

# The road on foot: never a life lost, and the far end of Village 1 (the arena, past x 3968) reached.
walked = rows[first['Graveyard']:first['Thanks For Playing!']]
check(len({r['lives'] for r in walked if r['lives'] != ''}) == 1, 'a life was lost on the road')
xs = [float(r['x']) for r in rows[first['Village 1']:first['Thanks For Playing!']] if r['x'] != '']
check(max(xs) > 3968, f'Village 1 walked only to x {max(xs)}')

# The boss beaten: bossDefeated (the last byte) saved in the run's folder.
config = 'data/config.bfc'
saved = open(config, 'rb').read() if os.path.exists(config) else b''
check(len(saved) == 39 and saved[38] == 1, f'config.bfc: {len(saved)} bytes, last {saved[-1:]}')

# Jump on the thanks stage: 85 ticks of fade, then The Bone Zone.
check(press + 84 <= first['The Bone Zone'] <= press + 86, f'Jump at {press}, The Bone Zone at {first["The Bone Zone"]}')
check(rows[-1]['x'] != '', 'no player in The Bone Zone')

def colours(png, *hexes):
    out = subprocess.run(['python3', os.path.join(here, 'png_colours.py'), png, *hexes],
                         capture_output=True, text=True, check=True)
    return list(map(int, out.stdout.split()))

# The thanks letters' dark rim; The Bone Zone's world, not black.
_, rim = colours('thanks.png', '281030')
check(rim > 1000, f'no thanks letters on the screen ({rim} rim pixels)')
total, black = colours('bone-zone.png', '000000')
check(black < total // 2, f'The Bone Zone is {black} of {total} pixels black')
for png in ('graveyard.png', 'village.png', 'arena.png'):
    total, black = colours(png, '000000')
    check(black < total // 2, f'{png} is {black} of {total} pixels black')

if failures:
    print('\n'.join(failures))
    sys.exit(f'FAIL: {len(failures)} checks')
EOF2
echo "runner playthrough from the first tick to The Bone Zone: ok"
