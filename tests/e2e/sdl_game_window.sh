#!/usr/bin/env bash
# The native game under Xvfb, run in a folder the data kit made. It opens a window titled
# "Brakkenfell" with a 424x240 client area at the display's centre. The close button and the
# Escape key bring the quit box instead of closing, and the box's keyboard default is No, so the
# game goes on. Keys reach the game: F5 doubles the window, F4 goes full screen and back.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb.bash"
check="python3 $here/x11_check.py"
screen_w=1280
screen_h=720

start_xvfb "${screen_w}x${screen_h}"
export SDL_VIDEODRIVER=x11

"$BUILD_DIR/tools/datakit" build "$work_dir/game" >/dev/null
cd "$work_dir/game"
report_log "game output" "$work_dir/game.log"
"$BUILD_DIR/brakkenfell" >"$work_dir/game.log" 2>&1 &
game_pid=$!
test_pids+=("$game_pid")

fail() {
    echo "FAIL: $1"
    exit 1
}

# expect_window W H X Y: waits (20 s at most) for the game's client area to be W x H at (X, Y)
expect_window() {
    local x y w h
    for _ in $(seq 1 200); do
        read -r x y w h < <(window_geometry Brakkenfell)
        [ "$w $h $x $y" = "$*" ] && { echo "window ${w}x${h} at ($x, $y)"; return 0; }
        sleep 0.1
    done
    fail "the window is ${w}x${h} at ($x, $y), expected $1x$2 at ($3, $4)"
}

# answer_quit_box KEY: the quit box is up; KEY answers it and the game must go on
answer_quit_box() {
    wait_for_window "Quit Brakkenfell?" 10 "$game_pid" || fail "no quit box"
    echo "quit box shown; answering with $1"
    $check key "$(window_id "Quit Brakkenfell?")" "$1"
    for _ in $(seq 1 200); do
        xwininfo -name "Quit Brakkenfell?" >/dev/null 2>&1 || break
        sleep 0.1
    done
    ! xwininfo -name "Quit Brakkenfell?" >/dev/null 2>&1 || fail "$1 did not answer the quit box"
    sleep 0.5
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended although the answer was No"
    wait_for_window Brakkenfell 1 || fail "the window went away although the answer was No"
}

wait_for_window Brakkenfell 30 "$game_pid" || fail "no window titled Brakkenfell"
centre_1x="424 240 $((screen_w / 2 - 212)) $((screen_h / 2 - 120))"
centre_2x="848 480 $((screen_w / 2 - 424)) $((screen_h / 2 - 240))"
expect_window $centre_1x

# SDL's own X11 box draws with the server's core fonts; Xvfb has none unless xfonts-base is there.
[ -n "$(xlsfonts -fn '-*-*-medium-r-normal--*-120-*-*-*-*-*-*' 2>/dev/null | head -n 1)" ] ||
    fail "the X server has no core font for SDL's message box (install xfonts-base)"

# The close button, asked on the main thread.
for answer in Return Escape; do
    $check close "$(window_id Brakkenfell)"
    answer_quit_box "$answer"
done
# The Escape key, asked by the game thread in the middle of a tick.
$check key "$(window_id Brakkenfell)" Escape
answer_quit_box Return

# The window modes, switched by the game thread through the main thread.
$check key "$(window_id Brakkenfell)" F5
expect_window $centre_2x
$check key "$(window_id Brakkenfell)" F4
expect_window $screen_w $screen_h 0 0
$check key "$(window_id Brakkenfell)" F4
expect_window $centre_2x
$check key "$(window_id Brakkenfell)" F5
expect_window $centre_1x

# Ctrl+C ends the game cleanly, like "Exit Game": no quit box, exit code 0, within a few seconds.
kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself"
kill -INT "$game_pid"
for _ in $(seq 1 100); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$game_pid" 2>/dev/null && fail "the game is still running 10 s after SIGINT"
xwininfo -name "Quit Brakkenfell?" >/dev/null 2>&1 && fail "SIGINT brought the quit box"
status=0
wait "$game_pid" || status=$?
[ "$status" = 0 ] || fail "the game ended with status $status after SIGINT"
echo "game ended cleanly on SIGINT"
echo "PASS"
