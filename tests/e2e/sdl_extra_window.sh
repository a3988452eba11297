#!/usr/bin/env bash
# The auxiliary debug windows of the SDL backend in real windows under Xvfb: the probe opens a
# window whose callback draws a known pattern from its game thread. The screen must show the
# pattern pixel for pixel at 160x96; an X resize to 250x150 must end snapped to 256x160 and show
# the pattern rebuilt for that size; the wheel over the window must reach slots 126 and 127; a
# close refused by the owner keeps the window mapped, an accepted one removes it. Both the default
# renderer and SDL's software renderer are checked.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb.bash"
probe="$BUILD_DIR/sdl_extra_window_probe"
helper="python3 $here/extra_window_check.py"
title="Palvic Extra Window"

start_xvfb 1280x720
export SDL_VIDEODRIVER=x11

# step N: waits for the probe's readyN and reads what it expects into want_w, want_h, blue
step() {
    wait_for_file "$steps/ready$1" 30 "$probe_pid" || { echo "FAIL: the probe never reached step $1"; exit 1; }
    read -r want_w want_h blue <"$steps/ready$1"
}

go() {
    touch "$steps/go$1"
}

# shows: the window is mapped at the size the probe expects and the screen shows its pattern
shows() {
    wait_for_window "$title" 10 || { echo "FAIL: the auxiliary window is not on the screen"; exit 1; }
    read -r x y w h < <(window_geometry "$title")
    echo "auxiliary window ${w}x${h} at ($x, $y)"
    [ "$w" = "$want_w" ] && [ "$h" = "$want_h" ] || { echo "FAIL: expected ${want_w}x${want_h}"; exit 1; }
    screen_shot "$work_dir/shot.ppm" -depth 8
    $helper picture "$work_dir/shot.ppm" "$x" "$y" "$w" "$h" "$blue"
}

for renderer in default software; do
    echo "== renderer: $renderer"
    if [ "$renderer" = default ]; then unset SDL_RENDER_DRIVER; else export SDL_RENDER_DRIVER=software; fi
    steps="$work_dir/$renderer"
    mkdir -p "$steps"
    report_log "the probe's output ($renderer renderer)" "$steps/log"
    "$probe" "$steps" 2>"$steps/log" &
    probe_pid=$!
    test_pids+=("$probe_pid")

    step 1
    shows
    $helper resize "$(window_id "$title")" 250 150
    go 1

    step 2
    shows
    read -r x y w h < <(window_geometry "$title")
    $helper wheel $((x + w / 2)) $((y + h / 2)) up
    go 2

    step 3
    $helper wheel $((x + w / 2)) $((y + h / 2)) down
    go 3

    step 4
    python3 "$here/x11_check.py" close "$(window_id "$title")"
    go 4

    step 5
    wait_for_window "$title" 5 || { echo "FAIL: the window went although its owner refused the close"; exit 1; }
    echo "the window stayed after a refused close"
    python3 "$here/x11_check.py" close "$(window_id "$title")"
    go 5

    step 6
    if xwininfo -name "$title" >/dev/null 2>&1; then
        echo "FAIL: the window is still there after an accepted close"
        exit 1
    fi
    echo "the window is gone after an accepted close"
    go 6

    status=0
    wait "$probe_pid" || status=$?
    sed 's/^/  /' "$steps/log"
    [ "$status" = 0 ] || { echo "FAIL: the probe exited with $status"; exit 1; }
done
echo "PASS"
