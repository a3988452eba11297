# Sourced by the real-window tests, the native ones here and the Windows ones (through
# tests/windows/wine-env.sh): an Xvfb of the test's own on a free display, the programs the test
# started, a work folder, and what the test knows when it fails. When the script ends, whatever it
# started is stopped; when it ends with a failure, the state of each program it started, the X
# server's windows, the Xvfb log, every log the test named with report_log and the last screenshot
# are printed and kept under $BUILD_DIR/test-failures/<test>.
#   start_xvfb WIDTHxHEIGHT     exports DISPLAY
#   report_log LABEL FILE       a log to print when the test fails
#   stop_pid PID                ends a program started here, by its id
for tool in Xvfb xwininfo xlsfonts import convert python3; do
    command -v "$tool" >/dev/null || { echo "missing $tool (packages xvfb, x11-utils, imagemagick)"; exit 1; }
done

# No sound card here: SDL's dummy driver plays into nothing, so no sound-error box waits for an
# answer that nobody gives.
export SDL_AUDIODRIVER=dummy
# The programs see the X server the test starts and no other (none before start_xvfb): not the
# display of whoever runs the tests. The test's server checks no cookie, so none is passed on.
unset DISPLAY XAUTHORITY

test_name=$(basename "$(dirname "$0")").$(basename "$0" .sh)
failure_dir=${BUILD_DIR:-$(pwd)}/test-failures/$test_name
rm -rf "$failure_dir"

test_pids=()
xvfb_pid=
report_logs=()
last_shot=
work_dir=$(mktemp -d "${TMPDIR:-/tmp}/palvic-test.XXXXXX")

report_log() {
    report_logs+=("$1|$2")
}

# stop_pid PID: a polite kill first (the programs end cleanly on it); still there 5 s later, killed.
stop_pid() {
    kill "$1" 2>/dev/null || true
    for _ in $(seq 1 50); do
        kill -0 "$1" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}

# The programs' state and the windows on the screen as the test failed: taken before the clean-up
# stops anything (in this shell, which can still read its programs' statuses), printed by
# report_failure.
program_report() {
    local pid status
    for pid in "${test_pids[@]}"; do
        if kill -0 "$pid" 2>/dev/null; then
            echo "program $pid still running: $(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)"
        else
            status=0
            wait "$pid" 2>/dev/null || status=$?
            # 127: the test read its status already (and said so).
            [ "$status" = 127 ] && status="read by the test"
            echo "program $pid had ended (status $status)"
        fi
    done
    if [ "${#test_pids[@]}" = 0 ]; then
        echo "no program was started"
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        local windows
        windows=$(xwininfo -root -tree 2>&1 | grep -E '^ +0x[0-9a-f]+ "' | sed 's/^ */  /' | head -n 60) || true
        echo "named windows on $DISPLAY (id, name, size and place):"
        echo "${windows:-  none}"
    fi
}

# Prints and keeps what the test knows: run at the end of a failed test, programs stopped.
report_failure() {
    mkdir -p "$failure_dir"
    local entry label file kept
    echo "-- programs and windows when the test failed (kept as $failure_dir/programs.log):"
    cp "$work_dir/programs.log" "$failure_dir/programs.log" 2>/dev/null || true
    cat "$failure_dir/programs.log" 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        echo "-- Xvfb log (display $DISPLAY):"
        cat "$work_dir/xvfb.log" 2>/dev/null || true
    fi
    for entry in "${report_logs[@]}"; do
        label=${entry%%|*}
        file=${entry#*|}
        [ -e "$file" ] || { echo "-- $label: none ($file was not written)"; continue; }
        kept="$failure_dir/$(printf %s "$label" | tr -c 'A-Za-z0-9_.-' _).log"
        tr -d '\r' <"$file" >"$kept"
        echo "-- $label (kept as $kept):"
        cat "$kept"
    done
    if [ -n "$last_shot" ] && [ -e "$last_shot" ]; then
        kept="$failure_dir/last-screenshot.${last_shot##*.}"
        cp "$last_shot" "$kept"
        echo "-- last screenshot: $kept"
    else
        echo "-- no screenshot was taken"
    fi
}

stop_all() {
    local status=$?
    [ "$status" = 0 ] || program_report >"$work_dir/programs.log" 2>&1 || true
    for pid in "${test_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${test_pids[@]}"; do
        stop_pid "$pid"
    done
    # The Wine tests end their Wine server here, before the X server it talks to goes.
    if declare -F stop_before_xvfb >/dev/null; then
        stop_before_xvfb
    fi
    if [ -n "$xvfb_pid" ]; then
        stop_pid "$xvfb_pid"
    fi
    [ "$status" = 0 ] || report_failure
    rm -rf "$work_dir"
    exit "$status"
}
trap stop_all EXIT

start_xvfb() {
    # -displayfd picks a free display and writes its number once the server accepts clients.
    # -noreset: without it the server resets whenever its last client leaves (each xwininfo of a
    # wait below is one) and refuses whoever connects meanwhile, such as a game just starting.
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp -noreset 3>"$work_dir/display" >"$work_dir/xvfb.log" 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        [ -s "$work_dir/display" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    [ -s "$work_dir/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
    export DISPLAY=":$(head -n1 "$work_dir/display")"
}

# wait_for_file PATH SECONDS [PID]: true once PATH exists; false after SECONDS, or at once when the
# program PID has ended
wait_for_file() {
    for _ in $(seq 1 $(($2 * 10))); do
        [ -e "$1" ] && return 0
        [ -n "${3:-}" ] && ! kill -0 "$3" 2>/dev/null && { [ -e "$1" ]; return; }
        sleep 0.1
    done
    return 1
}

# wait_for_window NAME SECONDS [PID]: true once a window of that name is mapped; false after
# SECONDS, or at once when the program PID has ended (its output then says why)
wait_for_window() {
    for _ in $(seq 1 $(($2 * 10))); do
        xwininfo -name "$1" 2>/dev/null | grep "Map State: IsViewable" >/dev/null && return 0
        if [ -n "${3:-}" ] && ! kill -0 "$3" 2>/dev/null; then
            local status=0
            wait "$3" 2>/dev/null || status=$?
            echo "the program ended (status $status) while the test waited for the window \"$1\""
            return 1
        fi
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

# screen_shot FILE [import options]: the whole screen (or the part the options crop) into FILE
screen_shot() {
    local file=$1
    shift
    last_shot=$file
    import -window root "$@" "$file"
}

# window_shot NAME FILE: the window's client area, as a picture of FILE's kind
window_shot() {
    local x y w h
    read -r x y w h < <(window_geometry "$1")
    screen_shot "$2" -crop "${w}x${h}+${x}+${y}" +repage
}

# picture_signature NAME FILE: takes the client area into FILE and prints a hash of its pixels
picture_signature() {
    window_shot "$1" "$2" && convert "$2" -format %# info:
}

# wait_for_dev_menu NAME FILE SECONDS: true once the window shows the dev menu's text on black
# (2 to 16 colours; a window not drawn yet is one colour); the last shot is in FILE and its colour
# count in menu_colours
wait_for_dev_menu() {
    menu_colours=0
    for _ in $(seq 1 $(($3 * 5))); do
        window_shot "$1" "$2" && menu_colours=$(convert "$2" -format %k info:)
        [ "$menu_colours" -ge 2 ] && [ "$menu_colours" -le 16 ] && return 0
        sleep 0.2
    done
    return 1
}

# graveyard_from_dev_menu FILE: in the game's dev menu, chooses Stages, "Main Stages", "Graveyard"
# by keys, then takes the client area into FILE until the stage has faded in (it fades in over 16
# ticks; its drawn layers bring dozens of colours) or 30 s have passed. Sets stage_colours to the
# colour count of the last shot. Each key waits for the menu to be up and the one before it to
# have changed the picture (10 s at most): on a loaded machine the game may take its time, and two
# presses inside one of its ticks would count once.
graveyard_from_dev_menu() {
    local key before after
    stage_colours=0
    wait_for_dev_menu Brakkenfell "$1" 30 || { echo "the dev menu never came up ($menu_colours colours)"; return 0; }
    for key in Return Down Return Return; do
        before=$(picture_signature Brakkenfell "$1")
        python3 "$(dirname "${BASH_SOURCE[0]}")/x11_check.py" key "$(window_id Brakkenfell)" "$key"
        for _ in $(seq 1 100); do
            after=$(picture_signature Brakkenfell "$1")
            [ "$after" != "$before" ] && break
            sleep 0.1
        done
        [ "$after" != "$before" ] || echo "the picture did not change after the key $key"
    done
    for _ in $(seq 1 150); do
        window_shot Brakkenfell "$1"
        stage_colours=$(convert "$1" -format %k info:)
        [ "$stage_colours" -ge 24 ] && break
        sleep 0.2
    done
}
