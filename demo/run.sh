#!/usr/bin/env bash
# The bundled demo: a demo Palm Desktop (the stand-in library with three
# HotSync users, one of them Thai) and the demo Mirabo package, in a Wine
# prefix of their own. With a display the wizard opens for you to click
# through; without one it walks through every page by itself on Xvfb, saves a
# screenshot of each page and prints the install queue it produced.
#   demo/run.sh <windows build dir> [<package folder>]
# Given a package folder (a maker's dry run), the build's checker reads it
# first as a Thai and as a Western Windows will: a folder it refuses is
# refused here, with its report, before any page. Then the wizard walks the
# package on Xvfb in the Thai and the English locale, Install and Update
# each, with a screenshot of every page and the queue of each walk.
set -euo pipefail
pkg=${2:+$(realpath -m "$2")}
cd "$(dirname "$0")/.."
win=$(realpath "${1:-build/win32}")
demo=$(realpath -m "$win/../demo${pkg:+-pkg}")
setupdir="$demo/Mirabo"
# An ASCII name, which every locale's code page can pass to setup.exe.
[ -z "$pkg" ] || setupdir="$demo/package"
palm="$demo/Palm Desktop"
screens="$demo/screens"

. tools/wine-env.sh "$win"
export LANG=th_TH.UTF-8 WINEPREFIX="$demo/wineprefix"
mkdir -p "$demo"
tools/wine-prefix.sh
# No picture of an earlier run is left to be taken for this one's.
rm -rf "$setupdir" "$palm" "$screens"

# The checker's verdict in one code page and locale; ends the run unless
# the folder passes (warnings allowed).
check() {
    local codepage=$1 locale=$2 status
    echo "check-package --codepage $codepage, as $3 reads the package:"
    set +e
    (cd "$(dirname "$pkg")" && LANG=$locale wine "$win/check-package.exe" --codepage "$codepage" \
        "$(basename "$pkg")" 2>&1) | tr -d '\r'
    status=${PIPESTATUS[0]}
    set -e
    [ "$status" = 0 ] && return 0
    echo "the checker refuses $pkg (exit status $status): no page is shown until it passes" >&2
    exit "$status"
}
if [ -n "$pkg" ]; then
    check 874 th_TH.UTF-8 "a Thai Windows"
    check 1252 en_US.UTF-8 "a Western Windows"
fi

mkdir -p "$palm" "$screens"
if [ -n "$pkg" ]; then
    cp -r "$pkg" "$setupdir"
else
    demo/make-package.sh "$setupdir"
fi
cp "$win/setup.exe" "$setupdir/"
cp "$win/standin/Instaide.dll" "$palm/"
iconv -f UTF-8 -t CP874 demo/package/users.txt.in > "$palm/users.txt"
wine reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v DesktopPath /t REG_SZ \
    /d "$(winepath -w "$palm")" /f >/dev/null 2>&1
# The Wine session started without a display keeps none: let it end first.
wineserver -w

# What the stand-in queued, per HotSync user; the queue is emptied after.
show_queue() {
    echo "$1"
    local found=0 user f
    for user in "$palm"/*/; do
        [ -d "$user/Install" ] || continue
        found=1
        for f in "$user/Install"/*; do
            echo "  $(basename "$user"): $(basename "$f") ($(stat -c %s "$f") bytes)"
        done
        rm -rf "$user/Install"
    done
    [ "$found" = 1 ] || echo "  (empty: nothing was queued)"
}

# One walk through every page by demo-walk.exe; its arguments after ours.
walk() {
    wine "$win/tests/e2e/demo-walk.exe" --setup "$setupdir/setup.exe" --standin "$palm" \
        --screens "$screens" --work "$demo/work" "$@" | grep -v -e '^setup:' -e '^work:' -e '^ANSI code page'
    wineserver -w
}

if [ -z "$pkg" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "the installer is open on $DISPLAY: click through it"
    (cd "$setupdir" && wine setup.exe)
    show_queue "install queue of the demo Palm Desktop ($palm):"
    exit 0
fi
read -r DISPLAY xvfb < <(tools/start-xvfb.sh) || exit 1
export DISPLAY
trap 'kill "$xvfb" 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
if [ -z "$pkg" ]; then
    echo "no display: walking through the wizard on Xvfb $DISPLAY"
    walk --at-150
    show_queue "install queue of the demo Palm Desktop ($palm):"
else
    echo "walking $pkg through the wizard on Xvfb $DISPLAY"
    for locale in th_TH.UTF-8 en_US.UTF-8; do
        for mode in install update; do
            tag=${locale%%_*}-$mode
            echo "$tag: the wizard in $locale, mode $mode"
            # shellcheck disable=SC2046
            LANG=$locale walk --shots "$tag-" $([ "$mode" = update ] && echo --update)
            show_queue "$tag: queued in the demo Palm Desktop ($palm):"
        done
    done
fi
tools/screens-png.sh "$screens"
echo "screenshots of each page: $screens/"
