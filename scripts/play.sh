#!/usr/bin/env bash
# Installs what is needed, builds the native game, writes the data set and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset linux
cmake --build --preset linux --target brakkenfell datakit_tool
build/linux/tools/datakit build build/game
cd build/game
exec ../linux/brakkenfell "$@"
