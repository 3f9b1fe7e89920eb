#!/usr/bin/env bash
# make bench: prints a table of timings (medians of interleaved pairs, each
# against a floor measured in the same run and prefix) and setup.exe's size
# and imports. Not a test: a slow machine gives slow figures, never a failure.
#   tests/bench/run.sh <windows build dir>
set -uo pipefail
build=$(cd "${1:?usage: $0 <windows build dir>}" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
session=$here/../e2e/session.sh

export LANG=th_TH.UTF-8 LC_ALL=th_TH.UTF-8
"$session" start "$build" >/dev/null || exit 1
trap '"$session" stop "$build"' EXIT
load=$(cut -d' ' -f1 /proc/loadavg)
# Wine hands a console program's stderr to the same terminal: the table is
# picked out, the rest (messages of runs not measured) kept in bench.log.
"$session" exec "$build" wine "$build/tests/bench/bench.exe" --work "$build/bench-work" \
    --setup "$build/setup.exe" --standin "$build/standin" --runs="Z:$build/bench-runs.txt" 2>&1 |
    tr -d '\r' >"$build/bench.log"
rc=${PIPESTATUS[0]}
grep -E '^\|' "$build/bench.log"
grep -q -v -E '^\|' "$build/bench.log" && echo "(messages: $build/bench.log)"

# Sizes in KiB: the whole file, and the bytes besides its resources (the page
# templates, banner and icons both programs carry), as the binary check counts them.
sizes() {
    /usr/bin/python3 - "$here/.." "$@" <<'PY'
import os, sys
sys.path.insert(0, sys.argv[1])
import pefile
from check_binary import non_resource_bytes
for path in sys.argv[2:]:
    size = os.path.getsize(path)
    print("%.1f %.1f" % (size / 1024, non_resource_bytes(pefile.PE(path, fast_load=True), size) / 1024))
PY
}
read -r setup_total setup_lean floor_total floor_lean checker_total _ < <(
    sizes "$build/setup.exe" "$build/tests/bench/floor.exe" "$build/check-package.exe" | tr '\n' ' ')
imports=$(objdump -p "$build/setup.exe" | sed -n 's/^\s*DLL Name: //p' | tr '\n' ' ')
echo "| setup.exe size, whole file | $setup_total KiB | $floor_total KiB (same page, plain C) | | |"
echo "| setup.exe size besides resources | $setup_lean KiB | $floor_lean KiB (same page, plain C) | imports: $imports| <= 96 KiB, system DLLs only |"
echo "| check-package.exe size | $checker_total KiB | | | |"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(wine --version 2>/dev/null), load average $load at the start"
echo "every run's figures: $build/bench-runs.txt"
exit "$rc"
