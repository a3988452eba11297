#!/usr/bin/env bash
# Brakkenfell.exe of both Windows builds, under Wine, shows a gameplay stage exactly as the
# headless runner draws it. The game starts on the data kit's set with no input; once the window
# shows one of the runner's frames of the title menu, Return chooses "Start Game", and a few seconds
# into the Graveyard the window's client area is taken at 1x. The game runs on the wall clock, so
# neither the tick of the press nor that of the shot is known; the stage's frames follow from the
# press alone (the runner gives the same frames for presses at different title ticks), so the shot
# must equal, pixel for pixel, one of the runner's frames after a press on the title menu.
source "$(dirname "$0")/wine-env.sh"

press=1100
ticks=600
data=$WINE_WORK/data
frames=$WINE_WORK/frames
for tool in "$BUILD_DIR/tools/datakit" "$BUILD_DIR/tools/runner"; do
    [[ -x $tool ]] || wine_fail "$tool is missing (build the linux preset)"
done
((wine_status)) && wine_finish
"$BUILD_DIR/tools/datakit" build "$data" >/dev/null || wine_fail "datakit could not build the data set"

# The runner's frames of the same road: no input, Return on the title menu, then the stage; and
# the title menu's frames without input, from its glide-in on.
mkdir -p "$frames" "$WINE_WORK/title"
"$BUILD_DIR/tools/runner" "$data" 1400 $(for ((t = 1085; t < 1400; ++t)); do echo --png "$t:$WINE_WORK/title/$t.png"; done) \
    >/dev/null &
title_runner=$!
printf '%d 28 down\n%d 28 up\n' $press $((press + 1)) >"$WINE_WORK/keys.txt"
pngs=()
for ((tick = press + 1; tick <= press + ticks; ++tick)); do
    pngs+=(--png "$tick:$frames/$(printf %04d $((tick - press))).png")
done
"$BUILD_DIR/tools/runner" "$data" $((press + ticks + 1)) --keys "$WINE_WORK/keys.txt" "${pngs[@]}" >/dev/null ||
    wine_fail "the runner failed"
wait $title_runner || wine_fail "the runner failed on the title"
((wine_status)) && wine_finish

wine_start_x || wine_finish
for build in "$WIN64_DIR" "$WIN32_DIR"; do
    label=$(basename "$build")
    echo "== $label"
    wine_require_build "$build" Brakkenfell.exe || continue
    wine_start_game "$build" "$data"

    wait_for_window Brakkenfell 30 "$pid"
    # The title menu is up at about 18 s; wait for it, 45 s at most.
    title=
    for ((i = 0; i < 90; ++i)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.5
        window_shot Brakkenfell "$run_dir/title.png" 2>/dev/null || continue
        title=$(python3 "$SOURCE_DIR/tests/e2e/frame_match.py" --exact "$run_dir/title.png" "$WINE_WORK"/title/*.png 2>/dev/null) &&
            break
        title=
    done
    if [[ -z $title ]]; then
        wine_fail "$label: the window never showed one of the runner's title menu frames"
        stop_pid "$pid"
        continue
    fi
    echo "ok - $label: the window showed the title menu of tick $(basename "$title" .png)"
    python3 "$SOURCE_DIR/tests/e2e/x11_check.py" key "$(xwininfo -name Brakkenfell | awk '/Window id:/ {print $4}')" Return
    sleep 4
    read -r _ _ width height < <(window_geometry Brakkenfell)
    wine_check "[[ '$width $height' == '424 240' ]]" "$label: the client area is ${width}x${height} (expected 424x240)"
    window_shot Brakkenfell "$run_dir/stage.png"
    evidence=$BUILD_DIR/e2e-evidence/game_stage_picture
    mkdir -p "$evidence"
    cp "$run_dir/stage.png" "$evidence/$label.png"
    if match=$(python3 "$SOURCE_DIR/tests/e2e/frame_match.py" "$run_dir/stage.png" "$frames"/*.png 2>&1); then
        echo "ok - $label: the window's picture is the runner's frame $((10#$(basename "$match" .png))) ticks after the press"
    else
        wine_fail "$label: the window's picture is none of the runner's frames: $match"
    fi
    wine_check "kill -0 $pid 2>/dev/null" "$label: the game is still running"
    stop_pid "$pid"
    wine_check_no_fault "$run_dir/log" "$label: the game"
done
wine_finish
