#!/usr/bin/env bash
# Device creation, presentation and device-loss recovery of the Win32 backend against a stand-in
# Direct3D device (tests/programs/DeviceLossTest.cpp), in the x86-64 and the x86 builds.
source "$(dirname "$0")/wine-env.sh"

for build in "$WIN64_DIR" "$WIN32_DIR"; do
    echo "== $build"
    wine_require_build "$build" device_loss_test.exe || continue
    output=$WINE_WORK/device_loss.log
    timeout 120 wine "$build/device_loss_test.exe" >"$output" 2>&1
    code=$(wine_exit_code $? "$output" device_loss_test)
    tr -d '\r' <"$output"
    wine_check "[[ $code == 0 ]] && grep -q '^PASS: 0 failures' '$output'" \
        "device_loss_test in $(basename "$build") passes every case (exit code $code)"
done
wine_finish
