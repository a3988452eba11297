#!/usr/bin/env bash
# Installs what is needed, builds the native program and both Windows programs, and runs every test:
# unit and end-to-end tests, the Windows programs under Wine, the unit tests under the sanitizers,
# and each fuzz target briefly.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in linux sanitize win64 win32; do
    echo "== build: $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

status=0
echo "== tests: sanitizers (unit)"
ctest --preset sanitize -j "$(nproc)" || status=1

if [ -x scripts/fuzz-briefly.sh ]; then
    echo "== fuzz: each target briefly"
    scripts/fuzz-briefly.sh 10 || status=1
fi

echo "== tests: native, end-to-end and Windows under Wine"
ctest --preset linux -j "$(nproc)" || status=1

exit $status
