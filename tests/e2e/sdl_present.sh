#!/usr/bin/env bash
# The SDL backend in a real window under Xvfb: the probe presents a known pattern from a thread
# that is not the main one, and the screen must show it pixel for pixel at 1x and at 2x (after the
# renderer was rebuilt), in full screen sit in the display's middle at the largest whole multiple
# that fits with black bars round it (3x on a 1280x800 display), and come back at 1x. Both the
# default renderer and SDL's software renderer are checked. Then the shutdown run: the pump ends
# while the other thread still asks the main thread for work, and the join must not hang.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb.bash"
probe="$BUILD_DIR/sdl_present_probe"
check="python3 $here/x11_check.py"
screen_w=1280
screen_h=800

start_xvfb "${screen_w}x${screen_h}"
export SDL_VIDEODRIVER=x11

# expect_window W H X Y: the probe's window has a W x H client area at (X, Y)
expect_window() {
    read -r x y w h < <(window_geometry Brakkenfell)
    echo "window ${w}x${h} at ($x, $y)"
    [ "$w" = "$1" ] && [ "$h" = "$2" ] && [ "$x" = "$3" ] && [ "$y" = "$4" ] ||
        { echo "FAIL: expected ${1}x${2} at ($3, $4)"; exit 1; }
}

shot() {
    screen_shot "$work_dir/shot.ppm" -depth 8
}

for renderer in default software; do
    echo "== renderer: $renderer"
    if [ "$renderer" = default ]; then unset SDL_RENDER_DRIVER; else export SDL_RENDER_DRIVER=software; fi
    steps="$work_dir/$renderer"
    mkdir -p "$steps"
    "$probe" present "$steps" &
    probe_pid=$!
    test_pids+=("$probe_pid")

    # 1x: 424x240, centred on the display.
    wait_for_file "$steps/ready1" 30 "$probe_pid" || { echo "FAIL: no picture at 1x"; exit 1; }
    x=$((screen_w / 2 - 212)) y=$((screen_h / 2 - 120))
    expect_window 424 240 $x $y
    shot
    $check picture "$work_dir/shot.ppm" $x $y 424 240 1
    touch "$steps/go1"

    # 2x: 848x480, centred again; the picture survived the renderer's rebuild.
    wait_for_file "$steps/ready2" 30 "$probe_pid" || { echo "FAIL: no picture at 2x"; exit 1; }
    x=$((screen_w / 2 - 424)) y=$((screen_h / 2 - 240))
    expect_window 848 480 $x $y
    shot
    $check picture "$work_dir/shot.ppm" $x $y 848 480 2
    touch "$steps/go2"

    # Full screen: the window covers the display; the picture keeps its shape, 1272x720 in the
    # middle of 1280x800, each pixel 3x3, and the bars round it are black.
    wait_for_file "$steps/ready3" 30 "$probe_pid" || { echo "FAIL: no picture in full screen"; exit 1; }
    expect_window $screen_w $screen_h 0 0
    shot
    $check framed "$work_dir/shot.ppm" 4 40 1272 720 3
    touch "$steps/go3"

    # Windowed at 1x again.
    wait_for_file "$steps/ready4" 30 "$probe_pid" || { echo "FAIL: no picture back at 1x"; exit 1; }
    x=$((screen_w / 2 - 212)) y=$((screen_h / 2 - 120))
    expect_window 424 240 $x $y
    shot
    $check picture "$work_dir/shot.ppm" $x $y 424 240 1
    touch "$steps/go4"

    status=0
    wait "$probe_pid" || status=$?
    [ "$status" = 0 ] || { echo "FAIL: the probe exited with $status"; exit 1; }
done

echo "== shutdown while requests are pending"
unset SDL_RENDER_DRIVER
status=0
output=$(timeout 30 "$probe" shutdown 2>&1) || status=$?
echo "$output"
[ "$status" != 124 ] || { echo "FAIL: the main thread never finished joining the other thread"; exit 1; }
[ "$status" = 0 ] || { echo "FAIL: the shutdown run exited with $status"; exit 1; }
echo "PASS"
