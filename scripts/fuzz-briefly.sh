#!/usr/bin/env bash
# Builds the fuzz preset and runs every libFuzzer target for a few seconds each (the first argument,
# 15 by default). Fails when a target finds a crash; its input is kept under
# BUILD/fuzz-artifacts/TARGET/ and the end of its log is printed. FUZZ_BUILD_DIR chooses the build
# folder (build/fuzz by default).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-15}"
build="$(pwd)/${FUZZ_BUILD_DIR:-build/fuzz}"
cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build"

corpus="$build/fuzz-corpus"
artifacts="$build/fuzz-artifacts"
mkdir -p "$corpus" "$artifacts"
if [ -x "$build/fuzz/fuzz_seeds" ]; then
    "$build/fuzz/fuzz_seeds" "$corpus"
fi

status=0
targets=$(find "$build/fuzz" -maxdepth 1 -type f -name '*_fuzz' -perm -u+x | sort)
if [ -z "$targets" ]; then
    echo "fuzz: no targets found in $build/fuzz" >&2
    exit 1
fi
for target in $targets; do
    name=$(basename "$target")
    mkdir -p "$corpus/$name" "$artifacts/$name"
    log="$artifacts/$name.log"
    echo "== $name: ${seconds} s"
    if "$target" "$corpus/$name" -max_total_time="$seconds" -artifact_prefix="$artifacts/$name/" >"$log" 2>&1; then
        grep -E '^Done [0-9]+ runs' "$log" || true
    else
        echo "$name: crashed; input kept in $artifacts/$name/" >&2
        tail -n 40 "$log" >&2
        status=1
    fi
done
exit $status
