#!/usr/bin/env bash
# The runner's play options on bad input and without a stage: an unknown stage name and every kind
# of bad key-script line end the run with a clear message naming the fault (and the line), never a
# crash; a trace without --stage has its header and one row a tick, with no player on the game's
# first stage.
set -euo pipefail
source "$(dirname "$0")/data_folder.bash"
runner="$BUILD_DIR/tools/runner"

# expect_error WHAT PATTERN ARGS...: the runner exits with 1 and says PATTERN on stderr.
expect_error() {
    local what=$1 pattern=$2 status=0
    shift 2
    "$runner" "$@" 2>err.txt >/dev/null || status=$?
    if [ "$status" != 1 ] || ! grep -q -- "$pattern" err.txt; then
        echo "FAIL: $what: exit $status, stderr:"; cat err.txt; exit 1
    fi
    echo "ok: $what: $(head -n 1 err.txt)"
}

expect_error "unknown stage" 'no stage is named "Tset"' data 5 --stage Tset
grep -q '^  Village 1$' err.txt || { echo "FAIL: the message should list the stages"; exit 1; }

# One bad line after a good one each time: the message names line 3 and the fault.
bad_lines=(
    "10-5 77|ends before it starts"
    "10- 77|no tick after '-'"
    "10-20|expected a key slot"
    "10-20 126|expected a key slot"
    "10-20 77 down|unexpected text"
    "5 77 sideways|expected \"down\" or \"up\""
    "5 0x|expected a key slot"
    "-5 77 down|expected a tick number"
    "99999999999 77 down|expected a tick number"
    "5 77|expected \"down\" or \"up\""
)
for case in "${bad_lines[@]}"; do
    line=${case%%|*}
    pattern=${case#*|}
    printf '# a script\n0-3 0x4D\n%s\n' "$line" > keys.txt
    expect_error "script line \"$line\"" "keys.txt:3: .*$pattern" data 5 --keys keys.txt
done

# No stage asked for: the game's own first stage, and no player on it.
printf '0-2 77\n4 31 down\n' > keys.txt
"$BUILD_DIR/tools/runner" data 6 --keys keys.txt --trace trace.csv
python3 - trace.csv <<'EOF'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
assert [int(r['tick']) for r in rows] == list(range(6)), 'one row a tick'
assert all(r['state'] == 'absent' and r['x'] == '' for r in rows), 'no player on the first stage'
assert {r['stage'] for r in rows} == {'WIP Disclaimer'}, {r['stage'] for r in rows}
print('ok: trace without a stage:', len(rows), 'rows')
EOF
echo "runner play options: ok"
