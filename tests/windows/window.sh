#!/usr/bin/env bash
# The Win32 backend in a real window under Wine, for the x86-64 and the x86 builds: window_test
# presents a known picture at 1x (424x240), then switches to 2x (848x480) and to full screen on its
# second thread; screenshots of the X screen must show the picture at the client area's origin with
# its exact colours, each pixel doubled at 2x, and stretched over the screen-sized window in full
# screen. The x86 build runs a second time with every D3DX 9 library disabled, so the device's own
# CreateTexture makes the texture.
source "$(dirname "$0")/wine-env.sh"

no_d3dx=$(seq -s, -f "d3dx9_%g" 24 43)=

# run_window_test LABEL BUILD EXPECTED_TEXTURE_MAKER [DLL overrides added]
run_window_test()
{
    local label=$1 build=$2 maker=$3 overrides=${4:-}
    echo "== $label"
    wine_require_build "$build" window_test.exe || return
    local work=$WINE_WORK/$label
    mkdir -p "$work"
    report_log "$label window_test output" "$work/log"
    WINEDLLOVERRIDES="$WINEDLLOVERRIDES${overrides:+;$overrides}" \
        wine "$build/window_test.exe" "$(wine_path "$work")" >"$work/log" 2>&1 &
    local pid=$!
    test_pids+=("$pid")

    local step scale width height
    for step in 1 2 3; do
        scale=(- 1 2 full)
        scale=${scale[step]}
        local shown=(- 1x 2x "full screen")
        shown=${shown[step]}
        if ! wait_for_file "$work/ready$step" 60 "$pid"; then
            wine_fail "$label: the picture at $shown never came up"
            return
        fi
        local left top client_w client_h texture
        read -r left top client_w client_h texture <"$work/ready$step"
        if [[ $scale == full ]]; then
            # The window's outer rectangle is the 1280x1024 screen: the client area sits inside the
            # frame, the same width on the left, right and bottom, with the caption on top.
            wine_check "(( left * 2 + client_w == 1280 && top + client_h + left == 1024 ))" \
                "$label: in full screen the window covers the screen (client area ${client_w}x${client_h} at $left,$top)"
        else
            width=$((424 * scale))
            height=$((240 * scale))
            wine_check "[[ $client_w == $width && $client_h == $height ]]" \
                "$label: the client area at ${scale}x is ${client_w}x${client_h} (expected ${width}x${height})"
        fi
        wine_check "[[ $texture == $maker ]]" "$label: the texture was made by $texture (expected $maker)"
        screen_shot "$work/shot$step.png"
        touch "$work/shot$step"
        wine_check "python3 '$SOURCE_DIR/tests/windows/check_picture.py' '$work/shot$step.png' $scale $left $top $client_w $client_h" \
            "$label: the picture at $shown, found by its marker colour, has the pattern's colours"
    done

    local code=0
    wine_wait_exit "$pid" 20 || code=$?
    code=$(wine_exit_code "$code" "$work/log" window_test)
    wine_check "[[ $code == 0 ]]" "$label: window_test ended by itself with code 0 (got $code)"
    # The second thread's last act placed the window while the main thread waited for it.
    local ended=
    [[ -f $work/ended ]] && ended=$(cut -d' ' -f3,4 "$work/ended")
    wine_check "[[ '$ended' == '424 240' ]]" \
        "$label: the window went back to 424x240 while the main thread waited for the second thread (got '$ended')"
}

wine_start_x || wine_finish
run_window_test win64 "$WIN64_DIR" d3dx9_43.dll
run_window_test win32 "$WIN32_DIR" d3dx9_43.dll
run_window_test win32-without-d3dx "$WIN32_DIR" device "$no_d3dx"
wine_finish
