#!/usr/bin/env bash
# A short soak: every registered stage in turn under seeded random keys, each entered from an empty
# stage and left for it again. Every use count must be back at its value from before the stage
# loaded, no box may be shown, no rule of play may break, every stage must have had its visit, and
# the menu keys must have paused the game.
set -euo pipefail
source "$(dirname "$0")/data_folder.bash"

status=0
"$BUILD_DIR/tools/soak" data 6000 --quiet >report.txt || status=$?
cat report.txt
if [ "$status" -ne 0 ]; then
    echo "soak failed with status $status" >&2
    exit 1
fi
stages=$(sed -n 's/^soak: [0-9]* ticks, \([0-9]*\) stages,.*/\1/p' report.txt)
grep -q "^soak: [0-9]* ticks, ${stages:-none} visits, 0 boxes shown, 0 failures\$" report.txt || {
    echo "expected one visit a registered stage, no box and no failure" >&2
    exit 1
}
grep -q "^play: [1-9][0-9]* Start taps, [0-9]* Backspace taps, [1-9][0-9]* pauses" report.txt || {
    echo "expected Start taps that paused the game" >&2
    exit 1
}
