#!/usr/bin/env bash
# The Wine set-up shared by the Windows tests. Sourced by each tests/windows/*.sh; run on its own
# (as CTest does, since it sits among the scripts) it checks that the set-up itself works: the
# prefix is made, Wine runs a program and the X server answers.
#
# Environment: BUILD_DIR (the linux build) and SOURCE_DIR are set by CTest; WIN64_DIR and WIN32_DIR
# point at the Windows builds (default $SOURCE_DIR/build/win64 and .../win32).
#
# After sourcing: WINEPREFIX (one prefix under $BUILD_DIR, made by the first script that needs it
# and reused by the others), WINEDLLOVERRIDES, WINEDEBUG, HOME with an .asoundrc whose default ALSA
# device is the null plugin (so DirectSound starts without a sound card), and these functions:
#   wine_fail TEXT          note a failure (the script's exit status becomes 1)
#   wine_check COND TEXT    print "ok - TEXT" or "FAIL - TEXT"
#   wine_require_build DIR EXE...   fail when the build or one of its programs is missing; skip
#                                   (return 1 without failing) the x86 build on a kernel that runs
#                                   no 32-bit programs
#   wine_start_x            start an Xvfb of its own (1280x1024) and set DISPLAY
#   wine_path FILE          the Windows path of a Linux path
#   wine_wait_file FILE SECONDS     wait for a file to appear
#   wine_wait_exit PID SECONDS      wait for a program started here to end by itself; returns its
#                                   exit code, or 124 when it still runs
#   wine_start_game BUILD DATA      start BUILD's Brakkenfell.exe in a copy of the data set DATA
#                                   ($WINE_WORK/<build name>, its output in log there); sets
#                                   run_dir and pid
#   wine_stop PID           end a program started here, by its id
#   wine_finish             print the summary and exit with the status

set -u

: "${BUILD_DIR:?BUILD_DIR must name the linux build folder}"
: "${SOURCE_DIR:?SOURCE_DIR must name the source folder}"
WIN64_DIR=${WIN64_DIR:-$SOURCE_DIR/build/win64}
WIN32_DIR=${WIN32_DIR:-$SOURCE_DIR/build/win32}

wine_status=0
wine_skipped=
wine_pids=()
wine_xvfb_pid=
WINE_WORK=$(mktemp -d "${TMPDIR:-/tmp}/palvic-wine.XXXXXX")

wine_fail()
{
    echo "FAIL - $*"
    wine_status=1
}

wine_check()
{
    if eval "$1"; then
        echo "ok - $2"
    else
        wine_fail "$2"
    fi
}

wine_start_game()
{
    run_dir=$WINE_WORK/$(basename "$1")
    cp -r "$2" "$run_dir"
    (cd "$run_dir" && exec wine "$1/Brakkenfell.exe") >"$run_dir/log" 2>&1 &
    pid=$!
    wine_pids+=("$pid")
}

wine_require_build()
{
    local dir=$1
    shift
    local exe ok=0
    if ((!wine_x86)) && [[ $(readlink -f "$dir") == $(readlink -f "$WIN32_DIR") ]]; then
        echo "skip - $(basename "$dir"): this kernel runs no 32-bit programs, so Wine cannot run the x86 build"
        wine_skipped=" (the x86 build was skipped: this kernel runs no 32-bit programs)"
        return 1
    fi
    if [[ ! -d $dir ]]; then
        wine_fail "no Windows build at $dir (build it with its preset, or set WIN64_DIR / WIN32_DIR)"
        return 1
    fi
    for exe in "$@"; do
        if [[ ! -f $dir/$exe ]]; then
            wine_fail "$dir/$exe is missing"
            ok=1
        fi
    done
    return $ok
}

wine_path()
{
    local path
    path=$(readlink -f "$1")
    echo "Z:${path//\//\\}"
}

wine_wait_file()
{
    local file=$1 seconds=$2 i
    for ((i = 0; i < seconds * 10; ++i)); do
        [[ -e $file ]] && return 0
        sleep 0.1
    done
    return 1
}

wine_wait_exit()
{
    local pid=$1 seconds=$2 i
    for ((i = 0; i < seconds * 10; ++i)); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            return
        fi
        sleep 0.1
    done
    return 124
}

wine_stop()
{
    local pid=$1 i
    kill "$pid" 2>/dev/null
    for ((i = 0; i < 50; ++i)); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -9 "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    return 0
}

wine_cleanup()
{
    local pid
    for pid in "${wine_pids[@]}"; do
        wine_stop "$pid"
    done
    # Let this prefix's server end before the X server it talks to goes away.
    timeout 20 wineserver -w 2>/dev/null
    if [[ -n $wine_xvfb_pid ]]; then
        wine_stop "$wine_xvfb_pid"
    fi
    rm -rf "$WINE_WORK"
}
trap wine_cleanup EXIT

wine_finish()
{
    if ((wine_status)); then
        echo "FAILED"
    else
        echo "PASSED$wine_skipped"
    fi
    exit $wine_status
}

wine_start_x()
{
    # Xvfb picks a free display number itself and writes it to the descriptor given.
    local display_file=$WINE_WORK/display
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$display_file" >"$WINE_WORK/xvfb.log" 2>&1 &
    wine_xvfb_pid=$!
    local i
    for ((i = 0; i < 100; ++i)); do
        [[ -s $display_file ]] && break
        sleep 0.1
    done
    if [[ ! -s $display_file ]]; then
        wine_fail "Xvfb did not start"
        cat "$WINE_WORK/xvfb.log"
        return 1
    fi
    export DISPLAY=":$(head -n1 "$display_file")"
    echo "Xvfb on $DISPLAY"
}

# Some kernels run no 32-bit programs at all (no IA32 emulation): Wine's 32-bit loader, which the
# plain "wine" command prefers, then fails with "Exec format error". There the 64-bit loader runs
# the x86-64 build in a 64-bit prefix, and the x86 build cannot be run.
wine_x86=1
if [[ -x /usr/lib/wine/wine ]]; then
    /usr/lib/wine/wine --version >/dev/null 2>&1
    [[ $? == 126 ]] && wine_x86=0
fi

export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all
WINE_ROOT=$BUILD_DIR/wine-tests
mkdir -p "$WINE_ROOT/home"
export WINEPREFIX=$WINE_ROOT/prefix
if ((!wine_x86)); then
    export WINEPREFIX=$WINE_ROOT/prefix64 WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
    mkdir -p "$WINE_ROOT/bin64"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$WINE_ROOT/bin64/wine"
    printf '#!/bin/sh\nexec /usr/lib/wine/wine64 wineboot.exe "$@"\n' >"$WINE_ROOT/bin64/wineboot"
    chmod +x "$WINE_ROOT/bin64/wine" "$WINE_ROOT/bin64/wineboot"
    export PATH=$WINE_ROOT/bin64:$PATH
fi
export HOME=$WINE_ROOT/home
printf 'pcm.!default { type null }\n' >"$HOME/.asoundrc"

# The prefix takes half a minute to make, so the first script makes it and the others reuse it. A
# prefix whose making was cut short is made again.
wine_make_prefix()
{
    (
        flock 9
        if [[ ! -e $WINEPREFIX/.complete ]]; then
            rm -rf "$WINEPREFIX"
            echo "making the Wine prefix $WINEPREFIX"
            if DISPLAY= wineboot -i >"$WINE_ROOT/wineboot.log" 2>&1 && timeout 60 wineserver -w; then
                touch "$WINEPREFIX/.complete"
            else
                cat "$WINE_ROOT/wineboot.log"
                exit 1
            fi
        fi
    ) 9>"$WINE_ROOT/prefix.lock"
}
if ! wine_make_prefix; then
    wine_fail "the Wine prefix could not be made"
    wine_finish
fi

# Run on its own: check the set-up.
if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    wine_start_x || wine_finish
    wine_check '[[ $(wine cmd /c echo wine-runs 2>/dev/null | tr -d "\r") == wine-runs ]]' \
        "Wine runs a Windows program in $WINEPREFIX"
    wine_check 'xwininfo -root >/dev/null 2>&1' "the X server $DISPLAY answers"
    wine_finish
fi
