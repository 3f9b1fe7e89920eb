#!/usr/bin/env bash
# Creates the 32-bit Wine prefix $WINEPREFIX once, set up like a Thai
# Windows desktop: the pages' "MS Sans Serif" is drawn with a Thai TrueType
# face of Windows-like width (Wine's default pick, Loma, runs a few pixels
# wider than the labels were laid out for and wraps them).
set -euo pipefail
: "${WINEPREFIX:?}"
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/.mirabo-prefix" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v 'MS Sans Serif' /t REG_SZ /d Waree /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.mirabo-prefix"
fi
