#!/usr/bin/env bash
# Bones and a checkpoint on the Graveyard: with right held the player runs over the bones laid along
# the first flats and ramp (the bones carried and the placed bones picked up rise, the live bones
# fall as the pickups fly off and fade), passes the first checkpoint (the progress record takes it),
# then pauses (Return), moves the cursor down twice to "Restart" and chooses it (Return). The
# restarted stage puts the player at the checkpoint, with its bones laid out again.
set -euo pipefail
source "$(dirname "$0")/data_folder.bash"

cat >keys.txt <<'KEYS'
0-519 77
520 28 down
522 28 up
560 80 down
562 80 up
580 80 down
582 80 up
600 28 down
602 28 up
KEYS
"$BUILD_DIR/tools/runner" data 900 --stage Graveyard --keys keys.txt --trace trace.csv

python3 - <<'PY'
import csv, sys

CHECKPOINT_X, CHECKPOINT_GROUND = 1168.0, 1312.0  # the data kit's first Graveyard checkpoint
rows = list(csv.DictReader(open('trace.csv')))
failures = []

def check(ok, what):
    if not ok:
        failures.append(what)

first = rows[0]
start_bones = int(first['bones'])
check(start_bones > 20, f'the Graveyard lays out its bones: {start_bones}')
check(first['checkpoint'] == '255', f'no checkpoint at the start: {first["checkpoint"]}')

# The run up to the pause: the counts only rise, and the checkpoint is taken where it stands.
restart = next((i for i in range(1, len(rows)) if float(rows[i]['x']) < float(rows[i - 1]['x']) - 100), None)
check(restart is not None, 'the player came back after the restart')
run = rows[:restart] if restart else rows
for a, b in zip(run, run[1:]):
    if float(b['collected']) < float(a['collected']) or int(b['bonesCollected']) < int(a['bonesCollected']):
        check(False, f'tick {b["tick"]}: the bones went down: {a["collected"]}/{a["bonesCollected"]} -> '
                     f'{b["collected"]}/{b["bonesCollected"]}')
        break
last = run[-1]
check(int(last['bonesCollected']) >= 15, f'placed bones picked up: {last["bonesCollected"]}')
check(float(last['collected']) >= int(last['bonesCollected']), f'each bone is worth at least 1: {last["collected"]}')
check(int(last['bones']) < start_bones, 'picked-up bones are gone once they have flown to the bar')
taken = next((r for r in run if r['checkpoint'] != '255'), None)
check(taken is not None, 'the checkpoint was taken')
if taken:
    check(abs(float(taken['x']) - CHECKPOINT_X) < 24, f'taken where it stands: x {taken["x"]}')
    check(all(r['checkpoint'] == '255' for r in run if float(r['x']) < CHECKPOINT_X - 30),
          'not taken before the player reached it')

# After the restart: at the checkpoint, standing, with nothing carried and the bones laid out anew.
if restart:
    back = rows[restart]
    check(back['stage'] == 'Graveyard', back['stage'])
    check(abs(float(back['x']) - CHECKPOINT_X) < 1, f'restarted at x {back["x"]}')
    check(abs(float(back['y']) - (CHECKPOINT_GROUND - 16)) < 2, f'restarted at y {back["y"]}')
    check(back['checkpoint'] == taken['checkpoint'] if taken else False, 'the checkpoint is kept')
    check(back['collected'] == '0' and back['bonesCollected'] == '0', 'a fresh player carries nothing')
    check(int(back['bones']) == start_bones, f'the bones are laid out again: {back["bones"]}')
    end = rows[-1]
    check(end['state'] == 'normal' and int(end['groundContact']) != 0, f'standing at the end: {end}')

if failures:
    print('\n'.join(failures))
    sys.exit(f'FAIL: {len(failures)} checks')
print(f'ok: {last["bonesCollected"]} bones picked up ({last["collected"]} carried), checkpoint taken at x '
      f'{taken["x"]}, restarted at ({rows[restart]["x"]}, {rows[restart]["y"]})')
PY
echo "runner items on the Graveyard: ok"
