#!/usr/bin/env bash
# A defeat among the boss's live attack boxes always ends. "Boss Rush" with Right held from tick 30
# and nothing else: the player walks into the arena's right bound and is worn down by the boss's
# landings and bales until it goes down (about tick 3310) next to the bales and dust. With one life
# (--lives 1) that defeat restarts the stage with the life taken, and the second defeat goes to
# "Title Screen". Checked on the trace for each defeat: the player stays down (no state but the two
# defeated ones, health 0) however many boxes are around it and however long Right is held, and the
# restart or the title comes between 240 and 900 ticks after the fatal hit (the fall, the wait of
# 240 ticks once the body is at rest, its last 120 under the fade). The last frame of each fall is
# kept as evidence.
set -euo pipefail
source "$(dirname "$0")/data_folder.bash"

TICKS=5400
echo "30-$((TICKS - 1)) 77" > keys.txt
"$BUILD_DIR/tools/runner" data "$TICKS" --stage "Boss Rush" --lives 1 --keys keys.txt --trace trace.csv \
    --png 3610:first-fall.png --png 4550:second-fall.png

evidence="$BUILD_DIR/e2e-evidence/runner_boss_rush_defeat"
mkdir -p "$evidence"
cp ./*.png "$evidence/"

python3 - <<'PY'
import csv, sys
rows = list(csv.DictReader(open('trace.csv')))
assert [int(r['tick']) for r in rows] == list(range(len(rows))), 'one row a tick'
failures = []
def check(ok, what):
    if not ok:
        failures.append(what)

def fatal_hit(start):
    return next((t for t in range(start, len(rows)) if rows[t]['x'] != '' and rows[t]['stage'] == 'Boss Rush'
                 and int(rows[t]['health']) == 0), None)

def gone_after(hit):
    # The first tick of a fresh player (full health) or of another stage.
    return next((t for t in range(hit, len(rows)) if rows[t]['stage'] != 'Boss Rush' or
                 (rows[t]['x'] != '' and int(rows[t]['health']) == 5)), None)

def defeat(start, lives, where):
    hit = fatal_hit(start)
    if hit is None:
        sys.exit(f'FAIL: no defeat after tick {start}; last row {rows[-1]}')
    check(rows[hit - 1]['lives'] == str(lives), f'lives before the defeat at {hit}: {rows[hit - 1]["lives"]}')
    gone = gone_after(hit)
    if gone is None:
        down = rows[hit:]
        states = sorted({r['state'] for r in down})
        sys.exit(f'FAIL: defeated at tick {hit} and still down at tick {len(rows) - 1} (states {states}, '
                 f'x {min(float(r["x"]) for r in down if r["x"])}-{max(float(r["x"]) for r in down if r["x"])})')
    down = [r for r in rows[hit:gone] if r['x'] != '']
    check(all(r['state'] in ('defeated', 'defeatedFall') for r in down),
          f'knocked out of the defeat: {sorted({r["state"] for r in down})}')
    check(all(int(r['health']) == 0 for r in down), 'health rose while defeated')
    check(240 <= gone - hit <= 900, f'defeated at tick {hit}, gone at {gone}: {gone - hit} ticks')
    if where == 'Title Screen':
        check(rows[gone]['stage'] == 'Title Screen', f'after the last life: stage {rows[gone]["stage"]!r}')
    else:
        check(rows[gone]['stage'] == 'Boss Rush' and rows[gone]['lives'] == '0',
              f'the restart: {rows[gone]}')
    print(f'defeated at tick {hit}, {where} at tick {gone} ({gone - hit} ticks)')
    return gone

restart = defeat(0, 1, 'restart')
defeat(restart, 0, 'Title Screen')

if failures:
    print('\n'.join(failures))
    sys.exit(f'FAIL: {len(failures)} checks')
PY
echo "runner boss rush, a defeat among live boxes ends: ok"
