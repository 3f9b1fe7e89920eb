#!/usr/bin/env bash
# Runs the end-to-end suite: tests/e2e/run.sh <windows build dir> [filter...]
#
# Starts a private Xvfb, uses (and on first use creates) a 32-bit Wine prefix
# at <build>/wineprefix, runs <build>/tests/e2e/e2e.exe against
# <build>/setup.exe and <build>/standin/, and exits with its exit code.
# The log goes to <build>/e2e.log, screenshots to <build>/screens/*.png.
#
# Locale: a Wine process takes its ANSI code page from its own Unix locale
# variables (LC_ALL, then LC_CTYPE, then LANG) when it starts, and passes its
# Unix environment on to the processes it starts: an environment block given
# to CreateProcess does not change it, and a running wineserver does not
# matter. So the suite runs once per locale, each test in the run whose code
# page is its own: LANG=th_TH.UTF-8 (874), then LANG=en_US.UTF-8 (1252). With
# E2E_LANG set, only one run, in that locale. The last line adds up the runs.
set -u

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 <windows build dir> [filter...]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
exe=${E2E_EXE:-$build/tests/e2e/e2e.exe}
if [ ! -f "$exe" ]; then
    echo "$exe not built" >&2
    exit 2
fi

export WINEPREFIX=$build/wineprefix
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LANG=th_TH.UTF-8
export LC_ALL=$LANG
unset WINESERVER

xvfb_pid=
cleanup() {
    wineserver -k >/dev/null 2>&1
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        wait "$xvfb_pid" 2>/dev/null
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A display of our own: no window manager, so nothing moves or decorates the
# pages, and the harness sets the foreground window itself.
for n in 91 92 93 94 95 96 97 98 99; do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        kill -0 "$xvfb_pid" 2>/dev/null || break
        sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        export DISPLAY=:$n
        break
    fi
    kill "$xvfb_pid" 2>/dev/null
    wait "$xvfb_pid" 2>/dev/null
    xvfb_pid=
done
if [ -z "$xvfb_pid" ]; then
    echo "no free X display in :91..:99" >&2
    exit 2
fi

# A wineserver left from an earlier run would keep that run's display.
wineserver -k >/dev/null 2>&1
"$(dirname "$0")/../../tools/wine-prefix.sh"

rm -rf "$build/screens"
mkdir -p "$build/screens" "$build/e2e-work"

rm -f "$build/e2e.log"
passed=0
failed=0
rc=0
for locale in ${E2E_LANG:-th_TH.UTF-8 en_US.UTF-8}; do
    echo "== $locale" | tee -a "$build/e2e.log"
    LANG=$locale LC_ALL=$locale wine "$exe" --work "$build/e2e-work" --screens "$build/screens" \
        --setup "$build/setup.exe" --standin "$build/standin" "$@" 2>&1 | tee "$build/e2e-pass.log"
    pass_rc=${PIPESTATUS[0]}
    cat "$build/e2e-pass.log" >>"$build/e2e.log"
    summary=$(tail -n 1 "$build/e2e-pass.log" | tr -d '\r')
    if [[ $summary =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
        passed=$((passed + BASH_REMATCH[1]))
        failed=$((failed + BASH_REMATCH[2]))
    else
        echo "FAIL e2e.exe ($locale) ended without its summary (exit code $pass_rc)"
        failed=$((failed + 1))
    fi
    [ "$pass_rc" -eq 0 ] || rc=1
done
rm -f "$build/e2e-pass.log"

for bmp in "$build"/screens/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
[ "$failed" -eq 0 ] || rc=1
echo "$passed passed, $failed failed"
exit "$rc"
