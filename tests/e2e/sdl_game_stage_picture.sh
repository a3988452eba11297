#!/usr/bin/env bash
# The native game's window shows a gameplay stage exactly as the headless runner draws it. The
# game, started with --dev-menu under Xvfb, is taken to the Graveyard by keys (Stages, "Main
# Stages", "Graveyard"); a few seconds in, with no key held, the window's client area is taken
# at 1x. The game runs on the wall clock, so the tick of the shot is not known: the shot must
# equal, pixel for pixel, one of the runner's frames of the Graveyard started without input over
# its first TICKS ticks. A black, shifted, scaled or recoloured picture matches none of them.
# Then F4: on the 1280x800 display the picture keeps its shape at 3x (1272x720 in the middle, each
# pixel a 3x3 block, black bars round it) and is again one of the runner's frames.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb.bash"
TICKS=900

start_xvfb 1280x800
export SDL_VIDEODRIVER=x11

"$BUILD_DIR/tools/datakit" build "$work_dir/game" >/dev/null

fail() {
    echo "FAIL: $1"
    exit 1
}

# The runner's frames of the same stage, one PNG a tick.
mkdir "$work_dir/frames"
pngs=()
for tick in $(seq 1 "$TICKS"); do
    pngs+=(--png "$tick:$work_dir/frames/$(printf %04d "$tick").png")
done
"$BUILD_DIR/tools/runner" "$work_dir/game" "$TICKS" --stage Graveyard "${pngs[@]}" >/dev/null ||
    fail "the runner failed"

cd "$work_dir/game"
report_log "game output" "$work_dir/game.log"
"$BUILD_DIR/brakkenfell" --dev-menu >"$work_dir/game.log" 2>&1 &
game_pid=$!
test_pids+=("$game_pid")

# shot NAME: the game's client area as NAME.png; fails unless the window is at 1x
shot() {
    local x y w h
    read -r x y w h < <(window_geometry Brakkenfell)
    [ "$w $h" = "424 240" ] || fail "the window's client area is ${w}x${h}, expected 424x240"
    window_shot Brakkenfell "$work_dir/$1.png"
}

wait_for_window Brakkenfell 30 "$game_pid" || fail "no window titled Brakkenfell"
graveyard_from_dev_menu "$work_dir/stage.png"
[ "$stage_colours" -ge 24 ] || fail "the Graveyard did not come up (the frame has $stage_colours colours)"
sleep 2
shot stage
kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself"

match=$(python3 "$here/frame_match.py" "$work_dir/stage.png" "$work_dir"/frames/*.png 2>&1) ||
    fail "the window's picture is none of the runner's frames: $match"
echo "the window's picture is the runner's frame of tick $((10#$(basename "$match" .png)))"

python3 "$here/x11_check.py" key "$(window_id Brakkenfell)" F4
for _ in $(seq 1 200); do
    read -r x y w h < <(window_geometry Brakkenfell)
    [ "$w $h $x $y" = "1280 800 0 0" ] && break
    sleep 0.1
done
[ "$w $h $x $y" = "1280 800 0 0" ] || fail "after F4 the window is ${w}x${h} at ($x, $y), expected the whole display"
# The window covers the display before the game has drawn into it at its new size: wait (20 s at
# most) for a picture with the bars round it.
for _ in $(seq 1 40); do
    sleep 0.5
    screen_shot "$work_dir/fullscreen.png"
    letterbox=$(python3 "$here/x11_check.py" letterbox "$work_dir/fullscreen.png" 4 40 1272 720 3 \
        "$work_dir/fullscreen-1x.png" 2>&1) && break
done || fail "the full-screen picture is not the frame at 3x with black bars: $letterbox"
match=$(python3 "$here/frame_match.py" "$work_dir/fullscreen-1x.png" "$work_dir"/frames/*.png 2>&1) ||
    fail "the full-screen picture is none of the runner's frames: $match"
echo "the full-screen picture is the runner's frame of tick $((10#$(basename "$match" .png))) at 3x"

evidence="$BUILD_DIR/e2e-evidence/sdl_game_stage_picture"
mkdir -p "$evidence"
cp "$work_dir/stage.png" "$evidence/window.png"
cp "$work_dir/fullscreen.png" "$evidence/fullscreen.png"
echo "PASS"
