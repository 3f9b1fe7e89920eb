#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when
# they are missing. Safe to run again; does nothing when all is there.
#   tools/install-deps.sh            everything
#   tools/install-deps.sh --checker  only what the Linux package checker needs:
#                                    a C++ compiler and CMake
# 64-bit Wine always; 32-bit Wine only where this machine runs 32-bit code.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

# A mirror in the middle of a sync can fail one index while the packages
# still install from the others. Then they are installed from the release's
# own suite, as one consistent set: an i386 library beside its amd64 twin
# needs both at the same version, and the failed index may have held one.
install() {
    [ ${#need[@]} -gt 0 ] || return 0
    [ "$(id -u)" = 0 ] || { echo "missing packages (run as root to install): ${need[*]}" >&2; exit 1; }
    echo "installing: ${need[*]}" >&2
    if [ "${1:-}" = i386 ]; then
        dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    fi
    local log target=() failed=""
    log=$(mktemp)
    if ! apt-get update -q >"$log" 2>&1; then
        failed=$(sed -n 's/^[EW]: Failed to fetch \([^ ]*\).*/\1/p' "$log" | tr '\n' ' ')
        [ -n "$failed" ] || failed=$(grep '^[EW]:' "$log" | head -3 | tr '\n' ' ')
        target=(-t "$(. /etc/os-release && echo "$VERSION_CODENAME")")
        echo "an index could not be fetched (${failed% }): installing from ${target[1]} alone" >&2
    fi
    if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${target[@]}" \
            "${need[@]}" >"$log" 2>&1; then
        cat "$log" >&2
        local bad=() p
        for p in "${need[@]}"; do
            apt-get install -s -q "${target[@]}" "$p" >/dev/null 2>&1 || bad+=("$p")
        done
        echo "could not install: ${bad[*]:-${need[*]}}${failed:+ (the index that failed: ${failed% })}" >&2
        rm -f "$log"
        exit 1
    fi
    rm -f "$log"
}

if [ "${1:-}" = --checker ]; then
    have_cmd c++ || need+=(g++)
    have_cmd cmake || need+=(cmake)
    install
    exit 0
fi

have_cmd i686-w64-mingw32-g++ || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
# The 64-bit twin, for the tests on machines that run only 64-bit code.
have_cmd x86_64-w64-mingw32-g++ || need+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
have_cmd cmake || need+=(cmake)
have_cmd make || need+=(make)
have_cmd g++ || need+=(g++)
have_cmd clang++ || need+=(clang)
have_pkg libgtest-dev || need+=(libgtest-dev)
# Its sources, built for MinGW into the end-to-end tests.
have_pkg googletest || need+=(googletest)
have_pkg wine64 || need+=(wine wine64)
arch=""
if "$here/runs-i386.sh"; then
    have_pkg wine32:i386 || need+=(wine32:i386)
    arch=i386
fi
have_cmd Xvfb || need+=(xvfb)
have_pkg fonts-thai-tlwg || need+=(fonts-thai-tlwg)
# A dialog font wider than the templates were made for, in the display cases.
have_pkg fonts-dejavu-core || need+=(fonts-dejavu-core)
have_pkg locales || need+=(locales)
have_cmd xdpyinfo || need+=(x11-utils)
have_pkg python3-pefile || need+=(python3-pefile)
# The screenshots as PNG (tools/screens-png.sh).
have_cmd pnmtopng || need+=(netpbm)
have_cmd txt2pdbdoc || need+=(txt2pdbdoc)
have_pkg libpalm-perl || need+=(libpalm-perl)
# Signing a release and checking one: Authenticode on Linux, keys and certificates.
have_cmd osslsigncode || need+=(osslsigncode)
have_cmd openssl || need+=(openssl)
# The release zip, the same bytes from the same files (tools/make-dist.sh).
have_cmd zip || need+=(zip)
have_cmd strip-nondeterminism || need+=(strip-nondeterminism)

install $arch

# Wine takes its ANSI code page from the locale: th_TH gives 874.
if ! locale -a 2>/dev/null | grep -qix 'th_TH.utf8' || ! locale -a 2>/dev/null | grep -qix 'en_US.utf8'; then
    [ "$(id -u)" = 0 ] || { echo "the th_TH.UTF-8 and en_US.UTF-8 locales are missing" >&2; exit 1; }
    sed -i -e 's/^# *\(th_TH.UTF-8 UTF-8\)/\1/' -e 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^th_TH.UTF-8 UTF-8' /etc/locale.gen || echo 'th_TH.UTF-8 UTF-8' >> /etc/locale.gen
    grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
