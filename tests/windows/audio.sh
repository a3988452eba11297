#!/usr/bin/env bash
# The sound output of both Windows builds under Wine. With ALSA's null device DirectSound starts,
# the play cursor moves and 40 halves are mixed without a message box. With Wine's audio drivers
# disabled there is no sound device: the "DirectSoundCreate Error" box (caption "DirectSound Error")
# is shown once and the game mixes on silently, to the end of the run and its shutdown.
source "$(dirname "$0")/wine-env.sh"

no_drivers="winealsa.drv,winepulse.drv,wineoss.drv=d"

# run_audio_check LABEL BUILD [DLL overrides added]
run_audio_check()
{
    local label=$1 build=$2 overrides=${3:-}
    echo "== $label"
    wine_require_build "$build" audio_check.exe || return
    local work=$WINE_WORK/$label
    mkdir -p "$work"
    report_log "$label audio_check output" "$work/log"
    (cd "$work" && WINEDLLOVERRIDES="$WINEDLLOVERRIDES${overrides:+;$overrides}" \
        timeout 120 wine "$build/audio_check.exe" out.txt) >"$work/log" 2>&1
    local code=$?
    code=$(wine_exit_code "$code" "$work/log" audio_check)
    wine_check "[[ $code == 0 ]]" "$label: audio_check ended by itself with code 0 (got $code)"
    [[ -f $work/out.txt ]] || touch "$work/out.txt"
    sed 's/^/    /' "$work/out.txt"
    wine_check "grep -qx 'halves 40' '$work/out.txt'" "$label: 40 halves were mixed"
    wine_check "grep -qx done '$work/out.txt'" "$label: the platform shut down after the run"
    if [[ -z $overrides ]]; then
        wine_check "grep -qx 'device 1' '$work/out.txt'" "$label: the stream plays on the device"
        local cursors
        cursors=$(awk '$1 == "cursor" {print $2}' "$work/out.txt")
        wine_check "[[ ${cursors:-0} -gt 1 ]]" "$label: the play cursor moves (${cursors:-0} readings)"
        wine_check "! grep -q '^box ' '$work/out.txt'" "$label: no message box"
    else
        wine_check "grep -qx 'device 0' '$work/out.txt'" "$label: without a device the game runs silent"
        wine_check "[[ \$(grep -c '^box ' '$work/out.txt') == 1 ]] && grep -qx 'box DirectSound Error|DirectSoundCreate Error' '$work/out.txt'" \
            "$label: one box, \"DirectSoundCreate Error\" with the caption \"DirectSound Error\""
    fi
}

wine_start_x || wine_finish
run_audio_check win64 "$WIN64_DIR"
run_audio_check win64-no-device "$WIN64_DIR" "$no_drivers"
run_audio_check win32 "$WIN32_DIR"
run_audio_check win32-no-device "$WIN32_DIR" "$no_drivers"
wine_finish
