#!/usr/bin/env bash
# The display and Wine prefix the end-to-end cases of one build folder run in.
#   session.sh start <build>          an Xvfb display of its own, the build's Wine
#                                     prefix <build>/wineprefix (32- or 64-bit, made
#                                     on first use) and a running wineserver
#   session.sh exec <build> cmd...    runs cmd in that session (ctest's emulator)
#   session.sh list <build> <e2e.exe> the program's own list of its cases
#                                     (--gtest_list_tests), run in the build's
#                                     prefix without a display, before any session
#   session.sh stop <build>           ends it; the case screenshots become PNG
#                                     (left as BMP with E2E_KEEP_BMP=1)
# The session is written to <build>/e2e-session; several build folders can
# have one at a time. The locale is the caller's (ctest sets it per case).
set -u
cmd=${1:?usage: session.sh start|exec|list|stop <build> ...}
build=$(cd "${2:?usage: session.sh $cmd <build>}" && pwd)
shift 2
here=$(cd "$(dirname "$0")" && pwd)
state=$build/e2e-session

export WINEPREFIX=$build/wineprefix
. "$here/../../tools/wine-env.sh" "$build" || exit 2
unset WINESERVER

xvfb_alive() {
    [ -f "$state/xvfb.pid" ] && [ -f "$state/display" ] &&
        kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null &&
        [ -e "/tmp/.X11-unix/X$(cut -c2- "$state/display")" ]
}

case $cmd in
start)
    mkdir -p "$state"
    if ! xvfb_alive; then
        rm -f "$state/display" "$state/xvfb.pid"
        read -r display pid < <("$here/../../tools/start-xvfb.sh") || exit 1
        echo "$display" >"$state/display"
        echo "$pid" >"$state/xvfb.pid"
    fi
    DISPLAY=$(cat "$state/display")
    export DISPLAY
    # A wineserver left from an earlier session would keep that session's display.
    wineserver -k >/dev/null 2>&1
    "$here/../../tools/wine-prefix.sh" || exit 1
    # Kept running between the cases, so that each case's Wine process
    # starts against a ready server.
    setsid wineserver -p </dev/null >/dev/null 2>&1
    rm -rf "$build/screens"
    mkdir -p "$build/screens" "$build/e2e-work"
    echo "session on display $(cat "$state/display"), prefix $WINEPREFIX"
    ;;
exec)
    if ! xvfb_alive; then
        echo "no end-to-end session for $build: run session.sh start $build first" >&2
        exit 2
    fi
    DISPLAY=$(cat "$state/display")
    export DISPLAY
    # Wine's own processes (services, the desktop) that a case's process
    # happens to start keep its standard output open for as long as they run:
    # through a pipe, ctest would wait for them.
    out=$(mktemp "$state/exec.XXXXXX")
    "$@" >"$out" 2>&1 </dev/null
    rc=$?
    cat "$out"
    rm -f "$out"
    exit $rc
    ;;
list)
    # ctest asks for the list when it reads the tests, before the session
    # starts: the prefix is made here then (a console listing needs no display).
    unset DISPLAY
    "$here/../../tools/wine-prefix.sh" || exit 1
    exe=${1:?usage: session.sh list <build> <e2e.exe>}
    # Through a file, as exec above: Wine's own processes would hold a pipe.
    out=$(mktemp "$build/e2e-list.XXXXXX")
    wine "$exe" --gtest_list_tests >"$out" 2>&1 </dev/null
    rc=$?
    cat "$out"
    rm -f "$out"
    exit $rc
    ;;
stop)
    wineserver -k >/dev/null 2>&1
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null
    fi
    rm -rf "$state"
    # A run on an emulated machine converts them on its host (E2E_KEEP_BMP=1).
    [ "${E2E_KEEP_BMP:-}" = 1 ] && exit 0
    "$here/../../tools/screens-png.sh" "$build/screens"
    ;;
*)
    echo "usage: session.sh start|exec|list|stop <build> ..." >&2
    exit 2
    ;;
esac
