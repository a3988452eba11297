#!/usr/bin/env bash
# The native game on a machine without a sound device: ALSA's default names a card that is not
# there. The game starts, runs silent and says so in one line, and nothing else reaches the
# terminal: ALSA's own error lines stay quiet. With SDL_AUDIO_ALSA_DEBUG set (SDL's switch for
# talk about ALSA) ALSA's lines come through too, which also shows that the quiet run met them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xvfb.bash"

start_xvfb 1280x720
export SDL_VIDEODRIVER=x11

"$BUILD_DIR/tools/datakit" build "$work_dir/game" >/dev/null
# ALSA reads this in place of its own configuration, so the run is the same on a machine that
# has a sound card.
printf 'pcm.!default { type hw card NoSuchCard }\n' >"$work_dir/asound.conf"
message='^No sound device \(.+\): the game runs silent\.$'

report_log "game output" "$work_dir/game.log"

fail() {
    echo "FAIL: $1"
    exit 1
}

# run_game [VAR=VALUE...]: starts the game with ALSA as SDL's only driver, waits for its window and
# its line about the sound, ends it with Ctrl+C; its output lands in game.log
run_game() {
    (cd "$work_dir/game" &&
        exec env SDL_AUDIODRIVER=alsa ALSA_CONFIG_PATH="$work_dir/asound.conf" "$@" \
            "$BUILD_DIR/brakkenfell" >"$work_dir/game.log" 2>&1) &
    local game_pid=$!
    test_pids+=("$game_pid")
    wait_for_window Brakkenfell 30 "$game_pid" || fail "no window titled Brakkenfell"
    for _ in $(seq 1 300); do
        grep -Eq "$message" "$work_dir/game.log" && break
        sleep 0.1
    done
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended by itself"
    kill -INT "$game_pid"
    local status=0
    wait "$game_pid" || status=$?
    [ "$status" = 0 ] || fail "the game ended with status $status after SIGINT"
}

run_game
lines=$(wc -l <"$work_dir/game.log")
[ "$lines" = 1 ] && grep -Eq "$message" "$work_dir/game.log" ||
    fail "expected only the line about the missing sound device, saw $lines lines"
echo "quiet run: $(cat "$work_dir/game.log")"

run_game SDL_AUDIO_ALSA_DEBUG=1
grep -q '^ALSA lib ' "$work_dir/game.log" || fail "with SDL_AUDIO_ALSA_DEBUG set, ALSA's own lines are missing"
grep -Eq "$message" "$work_dir/game.log" || fail "with SDL_AUDIO_ALSA_DEBUG set, the line about the sound is missing"
echo "with SDL_AUDIO_ALSA_DEBUG: $(grep -c '^ALSA lib ' "$work_dir/game.log") line(s) of ALSA's, then the game's"
echo "PASS"
