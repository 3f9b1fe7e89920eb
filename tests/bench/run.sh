#!/usr/bin/env bash
# make bench: prints a table of timings (medians, against baselines of the
# same run and prefix) and setup.exe's size and imports. Not a test: a slow
# machine gives slow figures, never a failure.
#   tests/bench/run.sh <windows build dir>
set -uo pipefail
build=$(cd "${1:?usage: $0 <windows build dir>}" && pwd)
here=$(dirname "$0")

out=$(E2E_EXE="$build/tests/bench/bench.exe" E2E_LANG=th_TH.UTF-8 "$here/../e2e/run.sh" "$build" bench 2>&1)
echo "$out" | grep -E '^\|'
echo "$out" | grep -E '^(FAIL|    )' || true

size=$(stat -c %s "$build/setup.exe")
imports=$(i686-w64-mingw32-objdump -p "$build/setup.exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
echo "| setup.exe size | $((size / 1024)) KB | | imports: $imports| < 256 KB, system DLLs only |"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version 2>/dev/null)"
