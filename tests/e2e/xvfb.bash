# Sourced by the real-window tests: starts an Xvfb of its own on a free display and stops it (and
# whatever the test started and registered in test_pids) when the test ends.
#   start_xvfb WIDTHxHEIGHT   exports DISPLAY
for tool in Xvfb xwininfo xlsfonts import python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool (packages xvfb, x11-utils, imagemagick)"; exit 1; }
done

# No sound card here: SDL's dummy driver plays into nothing, so no sound-error box waits for an
# answer that nobody gives.
export SDL_AUDIODRIVER=dummy

test_pids=()
xvfb_pid=
work_dir=$(mktemp -d)

stop_all() {
    # A polite kill first (the game ends cleanly on it); whatever is still there 5 s later is killed.
    for pid in "${test_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for _ in $(seq 1 50); do
        local alive=0
        for pid in "${test_pids[@]}"; do
            kill -0 "$pid" 2>/dev/null && alive=1
        done
        [ "$alive" = 0 ] && break
        sleep 0.1
    done
    for pid in "${test_pids[@]}"; do
        kill -9 "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work_dir"
}
trap stop_all EXIT

start_xvfb() {
    # -displayfd picks a free display and writes its number once the server accepts clients.
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work_dir/display" >"$work_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$work_dir/display" ] && break
        sleep 0.1
    done
    [ -s "$work_dir/display" ] || { echo "Xvfb did not start"; cat "$work_dir/xvfb.log"; exit 1; }
    export DISPLAY=":$(head -n1 "$work_dir/display")"
}

# wait_for_file PATH SECONDS
wait_for_file() {
    for _ in $(seq 1 $(($2 * 10))); do
        [ -e "$1" ] && return 0
        sleep 0.1
    done
    return 1
}

# wait_for_window NAME SECONDS: true once a window of that name is mapped
wait_for_window() {
    for _ in $(seq 1 $(($2 * 10))); do
        xwininfo -name "$1" 2>/dev/null | grep "Map State: IsViewable" >/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# window_id NAME: prints the id of the window of that name
window_id() {
    xwininfo -name "$1" | awk '/Window id:/ {print $4}'
}

# window_geometry NAME: prints "X Y WIDTH HEIGHT" of the window's client area on the screen
window_geometry() {
    xwininfo -name "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /^  Width:/ {w=$NF} /^  Height:/ {h=$NF} END {print x, y, w, h}'
}

# window_shot NAME FILE: the window's client area, as a picture of FILE's kind
window_shot() {
    local x y w h
    read -r x y w h < <(window_geometry "$1")
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
}

# graveyard_from_dev_menu FILE: in the game's dev menu, chooses Stages, "Main Stages", "Graveyard"
# by keys, then takes the client area into FILE until the stage has faded in (it fades in over 16
# ticks; its drawn layers bring dozens of colours) or 6 s have passed. Sets stage_colours to the
# colour count of the last shot.
graveyard_from_dev_menu() {
    local key
    for key in Return Down Return Return; do
        python3 "$(dirname "${BASH_SOURCE[0]}")/x11_check.py" key "$(window_id Brakkenfell)" "$key"
        sleep 0.3
    done
    stage_colours=0
    for _ in $(seq 1 30); do
        sleep 0.2
        window_shot Brakkenfell "$1"
        stage_colours=$(convert "$1" -format %k info:)
        [ "$stage_colours" -ge 24 ] && break
    done
}
