#!/usr/bin/env bash
# Installs the Debian packages the project needs. Safe to run again.
#   scripts/install-deps.sh        everything: to build, test and play
#   scripts/install-deps.sh play   only what building and running the native game and writing the
#                                  data set need
set -euo pipefail

# The native game and the data kit: the compilers and build tools (the presets compile through
# ccache), SDL2, stb (the Vorbis decoder and the font rasteriser), libvorbis for the data kit's
# encoder, the DejaVu fonts the data kit draws its fonts from, and the X server's core fonts that
# SDL's message boxes (the quit box) are drawn with.
play_packages=(
    build-essential cmake ninja-build ccache pkg-config
    libsdl2-dev libstb-dev libvorbis-dev fonts-dejavu-core xfonts-base
)
# The rest, for the tests, benchmarks and fuzzing and for the Windows builds under Wine.
test_packages=(
    git clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
    mingw-w64 wine wine64 wine32:i386 xvfb xauth x11-utils python3 python3-pil
    libgl1 libgl1-mesa-dri libglx-mesa0 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
    imagemagick sox vorbis-tools
)

case "${1:-all}" in
play) packages=("${play_packages[@]}") ;;
all) packages=("${play_packages[@]}" "${test_packages[@]}") ;;
*) echo "usage: $0 [play]" >&2; exit 2 ;;
esac

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Wine's 32-bit half comes from the i386 architecture; playing needs none of it.
if [ "${1:-all}" = all ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    need_update=1
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
elif [ -n "${need_update:-}" ]; then
    as_root apt-get update -q
fi
