#!/usr/bin/env bash
# The long soak: one hour of game time (216,000 ticks) through every registered stage with seeded
# random keys (the play keys, and Start and Backspace in the gameplay stages), under
# AddressSanitizer and UndefinedBehaviorSanitizer. Prints memory at the start, after each pass
# through the stages and at the end, and the use counts and boxes after every stage switch; fails
# on a use count that does not come back, a box, a rule of play broken at any tick (two pause
# menus, play under a closed menu's dim, a defeat that does not end), or a sanitizer report.
#   scripts/soak.sh [TICKS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
ticks=${1:-216000}
seed=${2:-20261210}
cmake --preset sanitize >/dev/null
cmake --build build/sanitize --target soak datakit_tool -j4
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT
build/sanitize/tools/datakit build "$work_dir/data" >/dev/null
ASAN_OPTIONS=detect_leaks=1 build/sanitize/tools/soak "$work_dir/data" "$ticks" --seed "$seed"
