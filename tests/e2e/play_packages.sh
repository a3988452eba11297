#!/usr/bin/env bash
# The play command installs only its own package list (scripts/install-deps.sh play); every file
# that building and running the native game and the data kit take from the system must come with
# that list or with the base system. Looked at in this build: the tools it ran, the headers its
# objects of the game and the data kit read, the libraries they link. Each file's package
# (dpkg) must be in the play list's dependency closure (apt-cache, on what is installed here) or
# be essential or required.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
work_dir=$(mktemp -d)
trap 'rm -rf "$work_dir"' EXIT

mapfile -t play_packages < <(sed -n '/^play_packages=(/,/^)/p' "$root/scripts/install-deps.sh" |
    sed '1d;$d' | tr -s ' ' '\n' | grep -v '^$')
[ ${#play_packages[@]} -ge 5 ] || { echo "FAIL: no play list in scripts/install-deps.sh"; exit 1; }
echo "play list: ${play_packages[*]}"

# The files.
cache="$BUILD_DIR/CMakeCache.txt"
{
    for tool in CMAKE_COMMAND CMAKE_MAKE_PROGRAM CMAKE_CXX_COMPILER CMAKE_LINKER PKG_CONFIG_EXECUTABLE; do
        sed -n "s/^$tool:[A-Z]*=//p" "$cache"
    done
    command -v "$(sed -n 's/^CMAKE_CXX_COMPILER_LAUNCHER:[A-Z]*=//p' "$cache")"
    compiler=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$cache")
    "$compiler" -print-prog-name=cc1plus
    for file in crt1.o libc.so libstdc++.so; do "$compiler" -print-file-name=$file; done
    cd "$BUILD_DIR"
    objects=$(ninja -t commands brakkenfell datakit_tool | grep -o -- ' -o [^ ]*\.o' | awk '{print $2}' | sort -u)
    ninja -t deps $objects | awk '/^    \// {print $1}'
    ninja -t inputs brakkenfell datakit_tool | grep '^/usr/'
    for program in brakkenfell tools/datakit; do
        ldd "$program" | awk '/=> \// {print $3} /^\t\// {print $1}'
    done
} | grep -v "^$root/\|^$BUILD_DIR/" | sort -u >"$work_dir/files"
[ "$(wc -l <"$work_dir/files")" -ge 100 ] || { echo "FAIL: too few files found in $BUILD_DIR"; exit 1; }

# Their packages, asked in one go ("pkg1, pkg2:amd64: /path": any one of them will do, the first
# is taken); a file dpkg does not know by its own path is asked again by the path it leads to.
owners() {
    xargs -d '\n' dpkg -S 2>/dev/null | grep -v '^diversion by' | sed 's/, .*: \//: \//; s/:[a-z0-9]*: \//: \//'
}
owners <"$work_dir/files" >"$work_dir/found" || true
cut -d' ' -f2- "$work_dir/found" | sort -u >"$work_dir/known"
while read -r file; do readlink -f "$file"; done < <(comm -23 "$work_dir/files" "$work_dir/known") |
    owners >>"$work_dir/found" || true
known=$(cut -d' ' -f2- "$work_dir/found" | sort -u)
while read -r file; do
    grep -qxF "$file" <<<"$known" || grep -qxF "$(readlink -f "$file")" <<<"$known" ||
        { echo "FAIL: no package has $file"; exit 1; }
done <"$work_dir/files"
sed 's/: \/.*//' "$work_dir/found" | sort -u >"$work_dir/owners"

# What installing the play list brings, and what every Debian system has.
{
    apt-cache depends --recurse --installed --no-recommends --no-suggests --no-conflicts --no-breaks \
        --no-replaces --no-enhances "${play_packages[@]}" | grep -v '^ ' | sed 's/:.*//'
    dpkg-query -W -f='${Essential} ${Priority} ${Package}\n' | awk '$1 == "yes" || $2 == "required" {print $3}'
} | sort -u >"$work_dir/closure"

missing=$(comm -23 "$work_dir/owners" "$work_dir/closure")
echo "$(wc -l <"$work_dir/files") files from $(wc -l <"$work_dir/owners") packages"
if [ -n "$missing" ]; then
    echo "FAIL: the play list does not bring these packages:"
    for package in $missing; do
        echo "  $package, for $(dpkg -L "$package" | grep -Fxf - "$work_dir/files" | head -n 2 | tr '\n' ' ')"
    done
    exit 1
fi
echo "PASS"
