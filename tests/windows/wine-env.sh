#!/usr/bin/env bash
# The Wine set-up shared by the Windows tests. Sourced by each tests/windows/*.sh; run on its own
# (as CTest does, since it sits among the scripts) it checks that the set-up itself works: the
# prefix is made, Wine runs a program, the X server answers, and a program's end is judged right
# (wine_exit_code), a real crash after the exit line included.
#
# Environment: BUILD_DIR (the linux build) and SOURCE_DIR are set by CTest; WIN64_DIR and WIN32_DIR
# point at the Windows builds (default $SOURCE_DIR/build/win64 and .../win32).
#
# After sourcing: tests/e2e/xvfb.bash's work folder ($WINE_WORK), failure report and window
# helpers; WINEPREFIX (one prefix under $BUILD_DIR, made by the first script that needs it and
# reused by the others, one script at a time: the script holds it until its Wine server has ended),
# WINEDLLOVERRIDES, WINEDEBUG, HOME with an .asoundrc whose default ALSA device is the null plugin
# (so DirectSound starts without a sound card), and these functions:
#   wine_fail TEXT          note a failure (the script's exit status becomes 1)
#   wine_check COND TEXT    print "ok - TEXT" or "FAIL - TEXT"
#   wine_require_build DIR EXE...   fail when the build or one of its programs is missing; skip
#                                   (return 1 without failing) the x86 build on a kernel that runs
#                                   no 32-bit programs
#   wine_start_x            start an Xvfb of its own (1280x1024) and set DISPLAY
#   wine_path FILE          the Windows path of a Linux path
#   wine_wait_exit PID SECONDS      wait for a program started here to end by itself; returns its
#                                   exit status, or 124 when it still runs
#   wine_exit_code STATUS LOG PROGRAM   the code a test program returned (see below)
#   wine_fault_reported LOG true when LOG holds Wine's account of an unhandled exception
#   wine_check_no_fault LOG TEXT        check that LOG (of a program the test ended itself, as
#                                       the game) holds no such account
#   wine_start_game BUILD DATA      start BUILD's Brakkenfell.exe in a copy of the data set DATA
#                                   ($WINE_WORK/<build name>, its output in log there); sets
#                                   run_dir and pid
#   wine_finish             print the summary and exit with the status

set -u

: "${BUILD_DIR:?BUILD_DIR must name the linux build folder}"
: "${SOURCE_DIR:?SOURCE_DIR must name the source folder}"
WIN64_DIR=${WIN64_DIR:-$SOURCE_DIR/build/win64}
WIN32_DIR=${WIN32_DIR:-$SOURCE_DIR/build/win32}

source "$SOURCE_DIR/tests/e2e/xvfb.bash"
wine_status=0
wine_skipped=
WINE_WORK=$work_dir

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
    report_log "$(basename "$1") game output" "$run_dir/log"
    (cd "$run_dir" && exec wine "$1/Brakkenfell.exe") >"$run_dir/log" 2>&1 &
    pid=$!
    test_pids+=("$pid")
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

# Run by xvfb.bash's clean-up once the test's programs are stopped: the rest of this prefix's
# Wine processes (the desktop, the services) and its server are ended, not left to outlive the test
# and its X server (a server that lingers would take the next test's programs in), and the prefix
# is free for the next script.
stop_before_xvfb()
{
    if [[ -n ${wine_prefix_held:-} ]]; then
        wineserver -k 2>/dev/null
        if ! timeout 20 wineserver -w 2>/dev/null; then
            echo "the Wine server of $WINEPREFIX was still running 20 s after it was told to end"
        fi
    fi
}

# wine_fault_reported LOG: true when LOG holds Wine's account of an unhandled exception (the
# "wine: Unhandled page fault ..." line or winedbg's "Unhandled exception: ..." report): a fault in
# the program's own code, whatever status its process then ended with.
wine_fault_reported()
{
    grep -Eq 'Unhandled exception|wine: Unhandled ' "$1" 2>/dev/null
}

# wine_exit_code STATUS LOG PROGRAM: prints the code PROGRAM returned, from its process's exit
# STATUS and the line "PROGRAM: exit code N" it writes last (tests/programs/ExitLine.h) into LOG.
# Wine's account of an unhandled exception in LOG (wine_fault_reported) makes the end a failure
# whatever the status: a non-zero status stays, and a status of 0 is judged 1. Under load Wine has
# been seen to end a 32-bit program that faulted in an exit handler with status 0, and with 137
# while the fault was still being reported; neither is a clean end.
# With no such account, two ends after the exit line are Wine's, not the program's, and leave the
# code it returned:
#   137 (SIGKILL) the Wine server kills a process still exiting a moment after its last thread
#       ended, as a loaded machine makes happen now and then;
#   139 (SIGSEGV) a fault in the native libraries' teardown at the process's very end, outside any
#       Windows thread (Wine cannot even turn it into an exception): exit_probe shows it with no
#       code of ours in the way (tests/programs/ExitProbe.cpp).
# Any other status stays, and so does 137 or 139 with no exit line before it.
wine_exit_code()
{
    local status=$1 log=$2 program=$3 line
    if wine_fault_reported "$log"; then
        if ((status == 0)); then
            echo "note - Wine ended $program with status 0, but its log holds an unhandled exception: judged 1" >&2
            echo 1
        else
            echo "$status"
        fi
        return
    fi
    if ((status == 137 || status == 139)); then
        line=$(tr -d '\r' 2>/dev/null <"$log" | grep -E "^$program: exit code -?[0-9]+$" | tail -n 1)
        if [[ -n $line ]]; then
            echo "note - $program returned ${line##* }, then Wine's teardown of its process ended it by signal $((status - 128))" >&2
            echo "${line##* }"
            return
        fi
    fi
    echo "$status"
}

wine_check_no_fault()
{
    if wine_fault_reported "$1"; then
        wine_fail "$2: Wine reports an unhandled exception in its log"
        grep -E -A3 'Unhandled exception|wine: Unhandled ' "$1" | head -n 12
    else
        echo "ok - $2: no unhandled exception in its log"
    fi
}

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
    start_xvfb 1280x1024
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
# Wine's own error lines, and nothing else of its debug output, go into each program's log: the
# Wine log a failing test prints beside what the program wrote.
export WINEDEBUG=-all,err+all
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
# prefix whose making was cut short is made again. One script at a time uses it: two at once would
# share one Wine server (and its desktop, its foreground window) across two X servers. The lock is
# held until the script ends, and by whatever it started that is still running then.
exec {wine_lock}>"$WINE_ROOT/prefix.lock"
if ! flock -n "$wine_lock"; then
    echo "waiting for the Wine prefix $WINEPREFIX: another test uses it"
    flock "$wine_lock"
fi
wine_prefix_held=1
# In the prefix, a program that crashes is ended at once, with its exception's code for its exit
# status (an access violation: 5) and Wine's backtrace in its log: Wine's crash dialog would wait
# for a click that nobody gives.
if [[ ! -e $WINEPREFIX/.ready ]]; then
    rm -rf "$WINEPREFIX"
    echo "making the Wine prefix $WINEPREFIX"
    report_log "wineboot output" "$WINE_ROOT/wineboot.log"
    if DISPLAY= wineboot -i >"$WINE_ROOT/wineboot.log" 2>&1 &&
        DISPLAY= wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
            >>"$WINE_ROOT/wineboot.log" 2>&1 &&
        timeout 60 wineserver -w; then
        touch "$WINEPREFIX/.ready"
    else
        wine_fail "the Wine prefix could not be made"
        wine_finish
    fi
fi

# Run on its own: check the set-up.
if [[ ${BASH_SOURCE[0]} == "$0" ]]; then
    wine_start_x || wine_finish
    wine_check '[[ $(wine cmd /c echo wine-runs 2>/dev/null | tr -d "\r") == wine-runs ]]' \
        "Wine runs a Windows program in $WINEPREFIX"
    wine_check 'xwininfo -root >/dev/null 2>&1' "the X server $DISPLAY answers"
    # A program's end as the scripts judge it, a case a line: status, log, judged code, what.
    # Without Wine's account of an unhandled exception, its two ends after the exit line leave the
    # code the program returned; a signal with no exit line before it, or any other status, stays.
    # With the account (either of Wine's two forms of it), the end is a failure whatever the status.
    printf 'probe: exit code 3\r\n' >"$WINE_WORK/ended.log"
    printf 'probe: ok\n' >"$WINE_WORK/cut.log"
    printf 'probe: exit code 0\r\nUnhandled exception: page fault on write access to 0x00000000 in 32-bit code (0x004015b0).\r\n' \
        >"$WINE_WORK/fault.log"
    printf 'probe: exit code 0\r\nwine: Unhandled page fault on write access to 00000000 at address 004015B0 (thread 0024), starting debugger...\r\n' \
        >"$WINE_WORK/fault-line.log"
    while IFS='|' read -r status log judged what; do
        wine_check "[[ \$(wine_exit_code $status '$WINE_WORK/$log' probe 2>/dev/null) == $judged ]]" "$what (judged $judged)"
    done <<'ENDS'
137|ended.log|3|status 137 after the exit line: the program is judged by the code it returned
139|ended.log|3|status 139 after the exit line: the program is judged by the code it returned
137|cut.log|137|status 137 before any exit line: the status stays
139|cut.log|139|status 139 before any exit line: the status stays
5|ended.log|5|an exception's code after the exit line: the status stays
0|ended.log|0|status 0 after the exit line: the program returned 0
137|fault.log|137|status 137 after the exit line and an unhandled exception: the status stays
139|fault.log|139|status 139 after the exit line and an unhandled exception: the status stays
0|fault.log|1|status 0 after the exit line and an unhandled exception: a failure
0|fault-line.log|1|status 0 after the exit line and Wine's line on an unhandled page fault: a failure
5|fault-line.log|5|an exception's code with Wine's line on it: the status stays
ENDS
    # And for real: a program that faults in its own code after writing its exit line.
    for build in "$WIN64_DIR" "$WIN32_DIR"; do
        wine_require_build "$build" exit_probe.exe || continue
        label=$(basename "$build")
        log=$WINE_WORK/crash-$label.log
        report_log "$label exit_probe crash-at-exit output" "$log"
        status=0
        timeout 60 wine "$build/exit_probe.exe" crash-at-exit >"$log" 2>&1 || status=$?
        code=$(wine_exit_code $status "$log" exit_probe 2>/dev/null)
        wine_check "[[ $code != 0 ]] && grep -q '^exit_probe: exit code 0' '$log'" \
            "$label: a fault of the program's own after its exit line is its failure (judged $code: an access violation's 5, the signal that ended it while Wine reported the fault, or 1 where Wine ended it with status 0 after reporting it)"
        wine_check "grep -q 'Unhandled page fault' '$log'" "$label: the log has Wine's account of the fault"
    done
    wine_finish
fi
