#!/usr/bin/env bash
# The runner's --serve mode, which the fight grower (grow_fight.py) searches with: a script played in
# pieces through "run" and "branch" gives the same ticks as one plain run of the whole script. On
# "Test": right held from tick 60, a jump at 150, a swing at 210, then left from 300. The plain run
# goes to tick 400; the served one is started to tick 100, runs on to 250 with the next piece, and
# branches there into the rest of the script and into a copy that walks left at once. Checked: the
# served trace matches the plain one up to 250, the first branch matches it from 250 on, the second
# ends far to the left (its keys are its own), a branch list with a missing script counts as
# failed, and a bad command ends the run with an error.
set -euo pipefail
source "$(dirname "$0")/data_folder.bash"
runner="$BUILD_DIR/tools/runner"

printf '60-299 77\n150-161 31\n210 30 down\n211 30 up\n300-399 75\n' > whole.txt
printf '60-99 77\n' > first.txt
printf '100-249 77\n150-161 31\n210 30 down\n211 30 up\n' > second.txt
printf '250-299 77\n300-399 75\n' > rest.txt
printf '250-399 75\n' > other.txt
"$runner" data 400 --stage Test --keys whole.txt --trace plain.csv

cat > list.txt <<EOF
$work_dir/rest.txt $work_dir/rest.csv 400
$work_dir/other.txt $work_dir/other.csv 400
EOF
printf 'run 250 %s\nbranch %s 2\nbranch %s 1\nquit\n' "$work_dir/second.txt" "$work_dir/list.txt" \
    "$work_dir/missing-list.txt" > commands.txt
printf '%s/missing.txt %s/missing.csv 300\n' "$work_dir" "$work_dir" > missing-list.txt
"$runner" data 100 --stage Test --keys first.txt --trace served.csv --serve < commands.txt > answers.txt

python3 - <<'EOF'
import csv, sys

def rows(path):
    return list(csv.DictReader(open(path)))

plain, served, rest, other = rows('plain.csv'), rows('served.csv'), rows('rest.csv'), rows('other.csv')
failures = []
def check(ok, what):
    if not ok:
        failures.append(what)

answers = open('answers.txt').read().split('\n')
check(answers[:3] == ['at 250', 'branched 2 0', 'branched 1 1'], f'answers: {answers}')
check(len(served) == 250 and served == plain[:250], 'the served run differs from the plain one before tick 250')
check([int(r['tick']) for r in rest] == list(range(250, 400)), 'the branch trace does not run from tick 250 to 399')
check(rest == plain[250:], 'the branch with the rest of the script differs from the plain run')
check([int(r['tick']) for r in other] == list(range(250, 400)), 'the second branch does not run from tick 250')
check(float(other[-1]['x']) < float(plain[-1]['x']) - 50,
      f'the branch that walks left ends at x {other[-1]["x"]}, the plain run at {plain[-1]["x"]}')
# The player walked right and jumped: the pieces carried the keys.
check(float(plain[299]['x']) > float(plain[60]['x']) + 200, 'the player did not walk right')
check(min(float(r['y']) for r in plain[150:170]) < float(plain[149]['y']) - 30, 'the jump did not happen')

if failures:
    print('\n'.join(failures))
    sys.exit(f'FAIL: {len(failures)} checks')
EOF

# A command it does not know ends the run with an error.
if printf 'walk 300\n' | "$runner" data 10 --stage Test --serve > /dev/null 2>&1; then
    echo "FAIL: an unknown serve command was taken"
    exit 1
fi
echo "runner serve: ok"
