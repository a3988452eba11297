#!/usr/bin/env bash
# One run, three builds, the same frames: the headless runner built for Linux, for Windows x86-64
# and for Windows x86 (the last two under Wine) runs the grey-box data set for the same ticks with
# the same key script, and the three checksum files must be byte for byte the same. First the game
# from its first tick; then each gameplay stage, started by name (a few next to the action with
# --start-at), played with one key script that runs, jumps, attacks, throws the whip and grapples,
# where the player's per-tick trace must match byte for byte as well.
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

# The stages: the runner's stage name, where player 1 starts ("-": the stage's own start) and the
# key script (stage: the common one below; ride: the wagon ride).
stage_ticks=480
stages=(
    "Graveyard|200,1380|stage"     # among the Froackers and Audrey at the start
    "Village 1|560,620|ride"       # behind the wagon on the first hill: its tilt follows the slopes
    "Boss Rush|-|stage"            # the boss arena
    "The Bone Zone|700,1420|stage" # under the one-way floors, the roster around
    "Test|900,690|stage"           # just short of the candle on the one-way floor
)
# Right 77, left 75, up 72, down 80, jump S 31, attack A 30, grapple E 18: run right and jump with
# an attack, throw up, run back left jumping and attacking, throw again, then right with a jump
# throw, a crouch attack and a last jump attack and throw.
cat >"$WINE_WORK/stage-keys.txt" <<'KEYS'
10-110 77
40-56 31
62 30 down
63 30 up
112-128 72
114 18 down
115 18 up
150-250 75
170-186 31
178 30 down
179 30 up
205-212 72
206 18 down
207 18 up
230 30 down
231 30 up
262-420 77
280-298 31
284-290 72
286 18 down
287 18 up
310 30 down
311 30 up
340-360 80
345 30 down
346 30 up
370-390 31
380 30 down
381 30 up
400-410 72
402 18 down
403 18 up
440 30 down
441 30 up
KEYS

# Village 1: push the wagon, jump onto its deck and ride it down the hill, then the same moves on foot.
cat >"$WINE_WORK/ride-keys.txt" <<'KEYS'
0-115 77
85-99 31
200-300 75
220-236 31
228 30 down
229 30 up
250-257 72
251 18 down
252 18 up
320-420 77
340-356 31
344-350 72
346 18 down
347 18 up
440 30 down
441 30 up
KEYS

stage_tag()
{
    local name=${1%%|*}
    echo "${name// /}"
}

# The runner's arguments for a stage entry, one a line; $2 gives the Windows paths.
stage_args()
{
    local name start script
    IFS='|' read -r name start script <<<"$1"
    local keys=$WINE_WORK/$script-keys.txt
    [[ ${2:-} == windows ]] && keys=$(wine_path "$keys")
    printf '%s\n' --stage "$name" --keys "$keys"
    [[ $start != - ]] && printf '%s\n' --start-at "$start"
    return 0
}

# The trace's column named $2 in file $1, header left out.
trace_column()
{
    awk -F, -v name="$2" 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i == name) c = i; next } { print $c }' "$1"
}

for tool in "$BUILD_DIR/tools/datakit" "$BUILD_DIR/tools/runner"; do
    [[ -x $tool ]] || wine_fail "$tool is missing (build the linux preset)"
done
((wine_status)) && wine_finish
"$BUILD_DIR/tools/datakit" build "$data" >/dev/null || wine_fail "datakit could not build the data set"

"$BUILD_DIR/tools/runner" "$data" $ticks --keys "$keys" --checksums "$WINE_WORK/linux.txt" ||
    wine_fail "the native runner failed"
wine_check "[[ \$(wc -l <'$WINE_WORK/linux.txt') == $ticks ]]" "the native runner wrote $ticks checksums"
echo "distinct frames in the native run: $(cut -d' ' -f2 "$WINE_WORK/linux.txt" | sort -u | wc -l)"

# The native stage runs, and proof that each did something: the player moved, the frames changed,
# the whip left the hand, and the stage stayed the one asked for.
for stage in "${stages[@]}"; do
    name=${stage%%|*}
    tag=$(stage_tag "$stage")
    mapfile -t args < <(stage_args "$stage")
    sums=$WINE_WORK/linux-$tag.sums
    trace=$WINE_WORK/linux-$tag.csv
    if ! "$BUILD_DIR/tools/runner" "$data" $stage_ticks "${args[@]}" --checksums "$sums" --trace "$trace"; then
        wine_fail "the native runner failed on \"$name\""
        continue
    fi
    frames=$(cut -d' ' -f2 "$sums" | sort -u | wc -l)
    span=$(trace_column "$trace" x | awk 'NR == 1 || $1 < lo { lo = $1 } NR == 1 || $1 > hi { hi = $1 } END { print int(hi - lo) }')
    throws=$(trace_column "$trace" whipState | grep -cv '^0$')
    hurt=$(trace_column "$trace" state | grep -c '^hurt$')
    echo "\"$name\": $frames distinct frames, x over $span px, the whip out $throws ticks, hurt $hurt ticks"
    wine_check "[[ \$(wc -l <'$sums') == $stage_ticks && \$(trace_column '$trace' tick | wc -l) == $stage_ticks ]]" \
        "\"$name\": the native runner wrote $stage_ticks checksums and trace rows"
    wine_check "[[ -z \$(trace_column '$trace' stage | grep -vxF '$name') ]]" "\"$name\": the run stayed on the stage"
    wine_check "((span >= 100 && frames >= stage_ticks / 4 && throws > 0))" \
        "\"$name\": the player moved 100 px or more, a quarter of the frames or more differ, the whip was thrown"
done

# Runs the Windows runner of build $1 (label $2) on $3 with the rest as its arguments; notes a failure.
wine_run()
{
    local build=$1 label=$2 what=$3
    shift 3
    timeout 120 wine "$build/tools/runner.exe" "$@" >"$WINE_WORK/$label.log" 2>&1
    # Judged as every Windows test program is (wine_exit_code): by the runner's exit line where
    # Wine's teardown ends it after that line, and as a failure where Wine reports an unhandled
    # exception, whatever the status.
    local code
    code=$(wine_exit_code $? "$WINE_WORK/$label.log" runner)
    wine_check "[[ $code == 0 ]]" "the $label runner ran $what under Wine (exit code $code)"
    [[ $code == 0 ]] || cat "$WINE_WORK/$label.log"
    return $code
}

# The trace with its contact columns' object addresses (any slot past 255, the tile layers and
# camera bounds) written as "object": an address differs from build to build, and from run to run.
trace_without_addresses()
{
    awk -F, -v OFS=, 'NR == 1 { for (i = 1; i <= NF; ++i) if ($i ~ /^contact|^groundContact$/) c[i] = 1 }
                      NR > 1 { for (i in c) if ($i + 0 > 255) $i = "object" } { print }' "$1" >"$1.plain"
}

# Compares a Windows run's file ($2) with the native one ($1).
same_as_native()
{
    local native=$1 other=$2 what=$3
    if cmp "$native" "$other"; then
        echo "ok - $what: byte for byte the native ones"
    else
        wine_fail "$what: not the native ones"
        diff "$native" "$other" | head -n 10
    fi
}

for build in "$WIN64_DIR" "$WIN32_DIR"; do
    label=$(basename "$build")
    wine_require_build "$build" tools/runner.exe || continue
    wine_run "$build" "$label" "from the first tick" "$(wine_path "$data")" $ticks --keys "$(wine_path "$keys")" \
        --checksums "$(wine_path "$WINE_WORK")\\$label.txt"
    same_as_native "$WINE_WORK/linux.txt" "$WINE_WORK/$label.txt" "the $label checksums from the first tick"
    for stage in "${stages[@]}"; do
        name=${stage%%|*}
        tag=$(stage_tag "$stage")
        mapfile -t args < <(stage_args "$stage" windows)
        out=$(wine_path "$WINE_WORK")\\$label-$tag
        wine_run "$build" "$label" "\"$name\"" "$(wine_path "$data")" $stage_ticks "${args[@]}" \
            --checksums "$out.sums" --trace "$out.csv" || continue
        same_as_native "$WINE_WORK/linux-$tag.sums" "$WINE_WORK/$label-$tag.sums" "the $label checksums of \"$name\""
        trace_without_addresses "$WINE_WORK/linux-$tag.csv"
        trace_without_addresses "$WINE_WORK/$label-$tag.csv"
        same_as_native "$WINE_WORK/linux-$tag.csv.plain" "$WINE_WORK/$label-$tag.csv.plain" \
            "the $label trace of \"$name\" (object addresses left out)"
    done
done
wine_finish
