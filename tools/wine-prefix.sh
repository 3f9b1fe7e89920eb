#!/usr/bin/env bash
# Creates the Wine prefix $WINEPREFIX once, for the caller's WINEARCH (see
# tools/wine-env.sh), set up like a Thai
# Windows desktop: the pages' "MS Sans Serif" is drawn with a Thai TrueType
# face of the same average width, so dialog units come out as on Windows (the
# 500-pixel banner spans the page) and every Thai label fits its control
# (Wine's own pick, Loma, is a few pixels wider and wraps two of them).
# Windows are not "managed": no window manager runs on the test display, and
# for a managed window Wine's X11 driver waits for one to answer each time a
# window is shown, hidden or destroyed (up to about 2 s).
set -euo pipefail
: "${WINEPREFIX:?}" "${WINEARCH:?}" "${WINELOADER:?source tools/wine-env.sh first}"
# No Mono or Gecko to offer while the prefix is made.
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
marker=$WINEPREFIX/.mirabo-prefix-unmanaged
# A prefix of the other architecture is made anew.
if [ "$(cat "$marker" 2>/dev/null)" != "$WINEARCH" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot -i >/dev/null 2>&1
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v 'MS Sans Serif' /t REG_SZ /d Umpush /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
    wineserver -w
    echo "$WINEARCH" >"$marker"
fi
