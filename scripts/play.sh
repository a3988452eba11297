#!/usr/bin/env bash
# Installs what playing needs, builds the native game (without the tests, in build/play), writes
# the data set and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh play
cmake --preset play
cmake --build --preset play --target brakkenfell datakit_tool
build/play/tools/datakit build build/game
cd build/game
exec ../play/brakkenfell "$@"
