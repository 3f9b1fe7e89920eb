#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when
# they are missing. Safe to run again; does nothing when all is there.
#   tools/install-deps.sh            everything
#   tools/install-deps.sh --checker  only what the Linux package checker needs:
#                                    a C++ compiler and CMake
set -euo pipefail

need=()
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

install() {
    [ ${#need[@]} -gt 0 ] || return 0
    [ "$(id -u)" = 0 ] || { echo "missing packages (run as root to install): ${need[*]}" >&2; exit 1; }
    echo "installing: ${need[*]}" >&2
    if [ "${1:-}" = i386 ]; then
        dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
    fi
    apt-get update -q >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${need[@]}" >&2
}

if [ "${1:-}" = --checker ]; then
    have_cmd c++ || need+=(g++)
    have_cmd cmake || need+=(cmake)
    install
    exit 0
fi

have_cmd i686-w64-mingw32-g++ || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
have_cmd cmake || need+=(cmake)
have_cmd make || need+=(make)
have_cmd g++ || need+=(g++)
have_cmd clang++ || need+=(clang)
have_pkg libgtest-dev || need+=(libgtest-dev)
# Its sources, built for i686 MinGW into the end-to-end tests.
have_pkg googletest || need+=(googletest)
have_pkg wine32:i386 || need+=(wine wine32:i386)
have_cmd Xvfb || need+=(xvfb)
have_pkg fonts-thai-tlwg || need+=(fonts-thai-tlwg)
# A dialog font wider than the templates were made for, in the display cases.
have_pkg fonts-dejavu-core || need+=(fonts-dejavu-core)
have_pkg locales || need+=(locales)
have_cmd xdpyinfo || need+=(x11-utils)
have_pkg python3-pefile || need+=(python3-pefile)
have_cmd txt2pdbdoc || need+=(txt2pdbdoc)
have_pkg libpalm-perl || need+=(libpalm-perl)
# Signing a release and checking one: Authenticode on Linux, keys and certificates.
have_cmd osslsigncode || need+=(osslsigncode)
have_cmd openssl || need+=(openssl)

install i386

# Wine takes its ANSI code page from the locale: th_TH gives 874.
if ! locale -a 2>/dev/null | grep -qix 'th_TH.utf8' || ! locale -a 2>/dev/null | grep -qix 'en_US.utf8'; then
    [ "$(id -u)" = 0 ] || { echo "the th_TH.UTF-8 and en_US.UTF-8 locales are missing" >&2; exit 1; }
    sed -i -e 's/^# *\(th_TH.UTF-8 UTF-8\)/\1/' -e 's/^# *\(en_US.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^th_TH.UTF-8 UTF-8' /etc/locale.gen || echo 'th_TH.UTF-8 UTF-8' >> /etc/locale.gen
    grep -q '^en_US.UTF-8 UTF-8' /etc/locale.gen || echo 'en_US.UTF-8 UTF-8' >> /etc/locale.gen
    locale-gen >/dev/null
fi
