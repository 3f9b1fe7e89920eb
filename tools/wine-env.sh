# Sourced: sets up Wine for the programs of one Windows build folder, whose
# wine-arch file (written when the build is configured) says win32 or win64:
#   . tools/wine-env.sh <windows build dir>
# Exports WINEARCH and WINELOADER for that build's Wine, and the functions
# wine, wineboot and winepath that run it. Debian's wine wrapper always takes
# the 32-bit loader where wine32 is installed, so a 64-bit prefix is reached
# through the 64-bit loader itself; one wineserver serves both. Returns 1,
# with one line saying what is missing, where this machine cannot run it.
wine_env_build=${1:?usage: . tools/wine-env.sh <windows build dir>}
if [ ! -f "$wine_env_build/wine-arch" ]; then
    echo "$wine_env_build is not a configured Windows build (no wine-arch): run make first" >&2
    return 1
fi
WINEARCH=$(cat "$wine_env_build/wine-arch")
case $WINEARCH in
win32) WINELOADER=/usr/lib/wine/wine ;;
win64) WINELOADER=/usr/lib/wine/wine64 ;;
*) echo "$wine_env_build/wine-arch says '$WINEARCH', not win32 or win64" >&2; return 1 ;;
esac
if [ "$WINEARCH" = win32 ] && ! "$(dirname "${BASH_SOURCE[0]}")/runs-i386.sh"; then
    echo "this machine runs only 64-bit code: the 32-bit build in $wine_env_build cannot run under Wine here (its 64-bit twin can: build/win64)" >&2
    return 1
fi
if [ ! -x "$WINELOADER" ]; then
    echo "$WINELOADER is missing: install $([ "$WINEARCH" = win32 ] && echo wine32:i386 || echo wine64) (tools/install-deps.sh)" >&2
    return 1
fi
# WINEDEBUG is the caller's where set (to trace one case), otherwise quiet.
export WINEARCH WINELOADER WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
wine() { "$WINELOADER" "$@"; }
wineboot() { "$WINELOADER" wineboot.exe "$@"; }
winepath() { "$WINELOADER" winepath.exe "$@"; }
export -f wine wineboot winepath
unset wine_env_build
