#!/usr/bin/env bash
# The native game under Xvfb, started with --dev-menu: the dev menu is up over the first frame, and
# choosing Stages, "Main Stages", "Graveyard" with the keyboard brings the Graveyard up in the
# window, with its ground, graves and the player where a black disclaimer frame was.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb.bash"

start_xvfb 1280x720
export SDL_VIDEODRIVER=x11

"$BUILD_DIR/tools/datakit" build "$work_dir/game" >/dev/null
cd "$work_dir/game"
report_log "game output" "$work_dir/game.log"
"$BUILD_DIR/brakkenfell" --dev-menu >"$work_dir/game.log" 2>&1 &
game_pid=$!
test_pids+=("$game_pid")

fail() {
    echo "FAIL: $1"
    exit 1
}

wait_for_window Brakkenfell 30 "$game_pid" || fail "no window titled Brakkenfell"
# The menu's text on black: a handful of colours.
wait_for_dev_menu Brakkenfell "$work_dir/menu.png" 30 ||
    fail "expected the dev menu's text on black, saw $menu_colours colours"
echo "dev menu frame: $menu_colours colours"

graveyard_from_dev_menu "$work_dir/stage.png"
echo "stage frame: $stage_colours colours"
[ "$stage_colours" -ge 24 ] || fail "the Graveyard did not come up (the frame has $stage_colours colours)"
kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself"

# A polite kill ends the game cleanly too: exit code 0.
kill -TERM "$game_pid"
status=0
for _ in $(seq 1 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the game is still running 10 s after SIGTERM"
wait "$game_pid" || status=$?
[ "$status" = 0 ] || fail "the game ended with status $status after SIGTERM"
echo "game ended cleanly on SIGTERM"
echo "PASS"
