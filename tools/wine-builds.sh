#!/usr/bin/env bash
# The Windows builds this machine can run under Wine, one folder a line: the
# shipped 32-bit build where the machine runs 32-bit code (tried with a
# 32-bit program, see runs-i386.sh), and its 64-bit twin always. Says in one
# line on the error stream which and why.
#   tools/wine-builds.sh <what for> <32-bit build> <64-bit build> [--first]
# With --first only the first, the one a person sees: the shipped build where
# it runs, otherwise the twin.
set -u
what=${1:?usage: $0 <what for> <32-bit build> <64-bit build> [--first]}
win32=${2:?} win64=${3:?} first=${4:-}
here=$(cd "$(dirname "$0")" && pwd)
if "$here/runs-i386.sh"; then
    if [ "$first" = --first ]; then
        echo "$what: the shipped 32-bit build, $win32" >&2
        echo "$win32"
    else
        echo "$what: the shipped 32-bit build, $win32, and its 64-bit twin, $win64 (this machine runs 32-bit code)" >&2
        printf '%s\n' "$win32" "$win64"
    fi
else
    echo "$what: the 64-bit twin, $win64, alone: this machine runs only 64-bit code, so Wine cannot run the shipped 32-bit build here" >&2
    echo "$win64"
fi
