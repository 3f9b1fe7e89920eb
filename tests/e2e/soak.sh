#!/usr/bin/env bash
# Runs the end-to-end suite N times, each from a freshly created Wine prefix,
# then prints each case's passes and median time and the median suite time.
#   tests/e2e/soak.sh <windows build dir> [N=10]
set -u
build=$(cd "${1:?usage: $0 <windows build dir> [N]}" && pwd)
n=${2:-10}
here=$(cd "$(dirname "$0")" && pwd)
out=$build/soak
rm -rf "$out"
mkdir -p "$out"
times=()
for i in $(seq "$n"); do
    rm -rf "$build/wineprefix"
    start=$(date +%s.%N)
    "$here/run.sh" "$build" >"$out/run-$i.log" 2>&1
    rc=$?
    end=$(date +%s.%N)
    secs=$(echo "$end - $start" | bc)
    times+=("$secs")
    cp "$build/e2e-junit.xml" "$out/run-$i.xml" 2>/dev/null
    printf 'run %2d: %s, %.0f s (prefix made afresh)\n' "$i" "$([ $rc = 0 ] && echo green || echo RED)" "$secs"
done
python3 "$here/times.py" "$out"/run-*.xml
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {m = NR % 2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2;
    printf "median suite time over %d runs: %.0f s (min %.0f s, max %.0f s)\n", NR, m, a[1], a[NR]}'
