#!/usr/bin/env bash
# The auxiliary debug windows on DirectDraw in real windows under Wine, for the x86-64 and the x86
# builds: extra_window_test opens a window whose callback draws a known pattern; screenshots must
# show it pixel for pixel at 160x96 (after a move), at 256x160 (after a resize) and again after the
# window was minimised and brought back. The program checks the rest itself (edge drags, the wheel,
# refused and accepted closes, shutdown) and its exit code counts the failures.
source "$(dirname "$0")/wine-env.sh"

run_extra_window_test()
{
    local label=$1 build=$2
    echo "== $label"
    wine_require_build "$build" extra_window_test.exe || return
    local work=$WINE_WORK/$label
    mkdir -p "$work"
    report_log "$label extra_window_test output" "$work/log"
    wine "$build/extra_window_test.exe" "$(wine_path "$work")" >"$work/log" 2>&1 &
    local pid=$!
    test_pids+=("$pid")

    local step names=(- "160x96 after a move" "256x160 after a resize" "256x160 after a minimise")
    for step in 1 2 3; do
        if ! wait_for_file "$work/ready$step" 60 "$pid"; then
            wine_fail "$label: the window at ${names[step]} never came up"
            return
        fi
        local left top width height blue
        read -r left top width height blue <"$work/ready$step"
        screen_shot "$work/shot$step.ppm" -depth 8
        touch "$work/shot$step"
        wine_check "python3 '$SOURCE_DIR/tests/e2e/extra_window_check.py' picture '$work/shot$step.ppm' $left $top $width $height $blue" \
            "$label: the screen shows the callback's pattern at ${names[step]} (${width}x${height} at $left,$top)"
    done

    local code=0
    wine_wait_exit "$pid" 30 || code=$?
    code=$(wine_exit_code "$code" "$work/log" extra_window_test)
    grep -E "^extra_window_test: (ok|FAIL)" "$work/log" | sed "s/^extra_window_test: /  $label: /"
    wine_check "[[ $code == 0 ]]" "$label: extra_window_test ended by itself with no failure (exit code $code)"
}

wine_start_x || wine_finish
run_extra_window_test win64 "$WIN64_DIR"
run_extra_window_test win32 "$WIN32_DIR"
wine_finish
