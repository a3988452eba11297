#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and play. Safe to run again.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config git clang
    libsdl2-dev libstb-dev libvorbis-dev libgtest-dev libbenchmark-dev
    mingw-w64 wine wine64 wine32:i386 xvfb xauth x11-utils xfonts-base python3
    libgl1 libgl1-mesa-dri libglx-mesa0 libgl1:i386 libgl1-mesa-dri:i386 libglx-mesa0:i386
    imagemagick sox vorbis-tools fonts-dejavu-core libclang-rt-14-dev python3-pil
)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
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
