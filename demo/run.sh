#!/usr/bin/env bash
# The bundled demo: a demo Palm Desktop (the stand-in library with three
# HotSync users, one of them Thai) and the demo Mirabo package, in a Wine
# prefix of their own. With a display the wizard opens for you to click
# through; without one it walks through every page by itself on Xvfb, saves a
# screenshot of each page and prints the install queue it produced.
#   demo/run.sh <windows build dir>
set -euo pipefail
cd "$(dirname "$0")/.."
win=$(realpath "${1:-build/win32}")
demo=$(realpath -m "$win/../demo")
setupdir="$demo/Mirabo"
palm="$demo/Palm Desktop"

. tools/wine-env.sh "$win"
export LANG=th_TH.UTF-8 WINEPREFIX="$demo/wineprefix"

rm -rf "$setupdir" "$palm"
mkdir -p "$setupdir" "$palm"
demo/make-package.sh "$setupdir"
cp "$win/setup.exe" "$setupdir/"
cp "$win/standin/Instaide.dll" "$palm/"
iconv -f UTF-8 -t CP874 demo/package/users.txt.in > "$palm/users.txt"

tools/wine-prefix.sh
wine reg add 'HKCU\Software\U.S. Robotics\Pilot Desktop\Core' /v DesktopPath /t REG_SZ \
    /d "$(winepath -w "$palm")" /f >/dev/null 2>&1
# The Wine session started without a display keeps none: let it end first.
wineserver -w

screens="$demo/screens"
rm -rf "$screens"
mkdir -p "$screens"
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    echo "the installer is open on $DISPLAY: click through it"
    (cd "$setupdir" && wine setup.exe)
else
    read -r DISPLAY xvfb < <(tools/start-xvfb.sh) || exit 1
    export DISPLAY
    trap 'kill "$xvfb" 2>/dev/null; wineserver -k 2>/dev/null || true' EXIT
    echo "no display: walking through the wizard on Xvfb $DISPLAY"
    wine "$win/tests/e2e/demo-walk.exe" --setup "$setupdir/setup.exe" --standin "$palm" \
        --screens "$screens" --work "$demo/work" | grep -v -e '^setup:' -e '^work:' -e '^ANSI code page'
    wineserver -w
    tools/screens-png.sh "$screens"
    echo "screenshots of each page: $screens/"
fi

echo "install queue of the demo Palm Desktop ($palm):"
found=0
for user in "$palm"/*/; do
    [ -d "$user/Install" ] || continue
    found=1
    name=$(basename "$user")
    for f in "$user/Install"/*; do
        echo "  $name: $(basename "$f") ($(stat -c %s "$f") bytes)"
    done
done
[ "$found" = 1 ] || echo "  (empty: nothing was queued)"
