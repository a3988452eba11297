#!/usr/bin/env bash
# The Win32 pad code against stand-in devices (pad_check.exe), in both Windows builds under Wine:
# the XInput and DirectInput tables, pad numbers, failed polls, one pad read by both sources, and
# the enumeration callbacks.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

for dir in "$WIN64_DIR" "$WIN32_DIR"; do
    wine_require_build "$dir" pad_check.exe || continue
    log=$WINE_WORK/pad_check-$(basename "$dir").log
    timeout 120 wine "$dir/pad_check.exe" >"$log" 2>&1
    status=$(wine_exit_code $? "$log" pad_check)
    output=$(tr -d '\r' <"$log")
    echo "$output" | sed 's/^/    /'
    wine_check '[[ $status -eq 0 ]] && grep -Eq "^[0-9]+ passed, 0 failed$" <<<"$output"' \
        "pad_check in $(basename "$dir")"
done
wine_finish
