#!/usr/bin/env bash
# One run, three builds, the same frames: the headless runner built for Linux, for Windows x86-64
# and for Windows x86 (the last two under Wine) runs the grey-box data set for the same ticks with
# the same key script, and the three checksum files must be byte for byte the same.
source "$(dirname "$0")/wine-env.sh"

ticks=240
data=$WINE_WORK/data
keys=$WINE_WORK/keys.txt
# Return through the disclaimer, then arrows, jump and attack keys, held and released.
cat >"$keys" <<'KEYS'
20 28 down
24 28 up
60 28 down
63 28 up
90 77 down
140 77 up
100 57 down
112 57 up
150 75 down
170 45 down
176 45 up
200 75 up
210 44 down
230 44 up
KEYS

for tool in "$BUILD_DIR/tools/datakit" "$BUILD_DIR/tools/runner"; do
    [[ -x $tool ]] || wine_fail "$tool is missing (build the linux preset)"
done
((wine_status)) && wine_finish
"$BUILD_DIR/tools/datakit" build "$data" >/dev/null || wine_fail "datakit could not build the data set"

"$BUILD_DIR/tools/runner" "$data" $ticks --keys "$keys" --checksums "$WINE_WORK/linux.txt" ||
    wine_fail "the native runner failed"
wine_check "[[ \$(wc -l <'$WINE_WORK/linux.txt') == $ticks ]]" "the native runner wrote $ticks checksums"
echo "distinct frames in the native run: $(cut -d' ' -f2 "$WINE_WORK/linux.txt" | sort -u | wc -l)"

for build in "$WIN64_DIR" "$WIN32_DIR"; do
    label=$(basename "$build")
    wine_require_build "$build" tools/runner.exe || continue
    sums=$WINE_WORK/$label.txt
    timeout 120 wine "$build/tools/runner.exe" "$(wine_path "$data")" $ticks --keys "$(wine_path "$keys")" \
        --checksums "$(wine_path "$WINE_WORK")\\$label.txt" >"$WINE_WORK/$label.log" 2>&1
    code=$?
    wine_check "[[ $code == 0 ]]" "the $label runner ran under Wine (exit code $code)"
    [[ $code == 0 ]] || cat "$WINE_WORK/$label.log"
    if cmp "$WINE_WORK/linux.txt" "$sums"; then
        echo "ok - the $label checksums are byte for byte the native ones"
    else
        wine_fail "the $label checksums differ from the native ones"
        diff "$WINE_WORK/linux.txt" "$sums" | head -n 10
    fi
done
wine_finish
