#!/usr/bin/env bash
# The fight grower end to end: grow_fight.py, given "Boss Rush" from its first tick and a boss of 10
# hit points (a test-only properties file; the pack is removed so the loose files are read), prints
# keys that beat the boss. Its printed lines are then run on their own in a plain runner run, and
# that trace must show what the first line claims: the boss's hit points at 0 at the tick it names,
# no life lost and at least one of the boss's jumps met on the way (the fight is more than a few
# swings at a standing boss). The grown keys are kept as evidence.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/data_folder.bash"
rm data/data.ch3
python3 - data/Data/Sprites/Bosses/HaystackKing/HaystackKing.vep <<'EOF'
import sys
data = bytearray(open(sys.argv[1], 'rb').read())
assert data[60] == 60, f'the boss has {data[60]} hit points, not 60'
data[60] = 10
open(sys.argv[1], 'wb').write(data)
EOF
: > road.keys
python3 "$here/grow_fight.py" "$BUILD_DIR" --keys road.keys --from 0 --stage "Boss Rush" --data data \
    --until 2000 > fight.keys 2> grow.log || { tail -5 grow.log; echo "FAIL: the grower found no fight"; exit 1; }
evidence="$BUILD_DIR/e2e-evidence/grow_fight_boss_rush"
mkdir -p "$evidence"
cp fight.keys "$evidence/"

beaten=$(sed -n '1s/.*beaten at tick \([0-9][0-9]*\).*/\1/p' fight.keys)
[[ -n "$beaten" ]] || { head -1 fight.keys; echo "FAIL: the first line names no tick"; exit 1; }
"$BUILD_DIR/tools/runner" data "$((beaten + 200))" --stage "Boss Rush" --keys fight.keys --trace trace.csv \
    --watch HaystackKing:1
python3 - "$beaten" <<'EOF'
import csv, sys
beaten = int(sys.argv[1])
rows = list(csv.DictReader(open('trace.csv')))
hp = [float(r['HaystackKing:1.hp']) if r['HaystackKing:1.hp'] else None for r in rows]
first = next((t for t, h in enumerate(hp) if h is not None and h <= 0), None)
failures = []
if first != beaten:
    failures.append(f'the boss\'s hit points reach 0 at tick {first}, the grower said {beaten}')
lives = {r['lives'] for r in rows if r['lives']}
if len(lives) != 1:
    failures.append(f'a life was lost: {lives}')
if not any(r['HaystackKing:1.vy'] and float(r['HaystackKing:1.vy']) < 0 for r in rows[:beaten]):
    failures.append('the boss never jumped before it was beaten')
if failures:
    sys.exit('FAIL: ' + '; '.join(failures))
print(f'grown fight: the boss beaten at tick {beaten}, health {rows[0]["health"]} -> {rows[beaten]["health"]}')
EOF
echo "grow fight on Boss Rush: ok"
