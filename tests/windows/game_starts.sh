#!/usr/bin/env bash
# Brakkenfell.exe of both Windows builds starts under Wine and opens its window: a window titled
# "Brakkenfell" with a 424x240 client area, shown, and no message box beside it. The game is then
# ended by its process id (nobody is there to answer the quit box).
source "$(dirname "$0")/wine-env.sh"

# The X windows that Wine made for the program's top-level windows: "id name WxH+X+Y".
program_windows()
{
    xwininfo -root -children 2>/dev/null | grep -i '("brakkenfell.exe"' |
        sed -E 's/^ *(0x[0-9a-f]+) "([^"]*)".* ([0-9]+x[0-9]+)\+(-?[0-9]+)\+(-?[0-9]+) .*/\1 \2|\3+\4+\5/'
}

# The game reads its data from the folder it runs in: the data kit's grey-box set.
data=$WINE_WORK/data
if [[ ! -x $BUILD_DIR/tools/datakit ]]; then
    wine_fail "$BUILD_DIR/tools/datakit is missing (build the linux preset)"
    wine_finish
fi
"$BUILD_DIR/tools/datakit" build "$data" >/dev/null || wine_fail "datakit could not build the data set"

wine_start_x || wine_finish
for build in "$WIN64_DIR" "$WIN32_DIR"; do
    label=$(basename "$build")
    echo "== $label"
    wine_require_build "$build" Brakkenfell.exe || continue
    wine_start_game "$build" "$data"

    window=
    for ((i = 0; i < 300; ++i)); do
        window=$(xwininfo -name Brakkenfell 2>/dev/null)
        [[ -n $window ]] && grep -q 'IsViewable' <<<"$window" && break
        window=
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if [[ -z $window ]]; then
        wine_fail "$label: no window titled Brakkenfell appeared"
        program_windows
        stop_pid "$pid"
        continue
    fi
    # The window is made at 424x240 outer size and then given its client size by the first video
    # mode; wait for that, then give a failing start-up the time to show its box.
    for ((i = 0; i < 100; ++i)); do
        grep -q '^  Width: 424$' <<<"$window" && grep -q '^  Height: 240$' <<<"$window" && break
        sleep 0.1
        window=$(xwininfo -name Brakkenfell 2>/dev/null)
    done
    sleep 2
    window=$(xwininfo -name Brakkenfell 2>/dev/null)
    width=$(awk '/^  Width:/ {print $2}' <<<"$window")
    height=$(awk '/^  Height:/ {print $2}' <<<"$window")
    echo "window: $(xwininfo -name Brakkenfell | grep -E 'Window id|Absolute upper-left' | tr -s ' ' | tr '\n' ' ')"
    wine_check "[[ '$width' == 424 && '$height' == 240 ]]" \
        "$label: the window titled Brakkenfell has a ${width}x${height} client area (expected 424x240)"
    wine_check "kill -0 $pid 2>/dev/null" "$label: the game is still running"
    others=$(program_windows | grep -v -E '^0x[0-9a-f]+ (Brakkenfell|Default IME)\|')
    mapped_others=
    while read -r id rest; do
        [[ -z $id ]] && continue
        xwininfo -id "$id" 2>/dev/null | grep -q IsViewable && mapped_others+="$id ${rest}; "
    done <<<"$others"
    wine_check "[[ -z '$mapped_others' ]]" "$label: no other window (no message box) is shown ${mapped_others:+: $mapped_others}"
    stop_pid "$pid"
    wine_check_no_fault "$run_dir/log" "$label: the game"
done
wine_finish
