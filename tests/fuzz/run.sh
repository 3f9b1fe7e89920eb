#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for the given time on a
# copy of its seed corpus (the corpus in the repository stays as it is), as
# many at once as there are processors.
# Usage: tests/fuzz/run.sh <seconds per target> [build dir, default build/fuzz]
# Prints one line per target; exits non-zero when any target found anything.
set -euo pipefail

seconds=${1:?usage: $0 <seconds per target> [build dir]}
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(realpath -m "${2:-$root/build/fuzz}")
targets=(fuzz_package_list fuzz_base_folder fuzz_user_order fuzz_fixed_text fuzz_package_check)

mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 1; }
cmake --build "$build" --target "${targets[@]}" -j "$(nproc 2>/dev/null || echo 2)" >"$build/build.log" 2>&1 ||
    { cat "$build/build.log" >&2; exit 1; }

# One target per processor at a time (each runs on one); the lines come in
# the targets' order.
run() { # <target>
    local work=$build/run/$1
    # libFuzzer's own exit code says only that it stopped on something; the
    # artifacts it wrote say what.
    (cd "$work" && "$build/tests/fuzz/$1" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=artifacts/ corpus >log 2>&1) || true
}
jobs=$(nproc 2>/dev/null || echo 2)
for target in "${targets[@]}"; do
    work=$build/run/$target
    rm -rf "$work"
    mkdir -p "$work/artifacts"
    cp -r "$root/tests/fuzz/corpus/$target" "$work/corpus"
    while [ "$(jobs -pr | wc -l)" -ge "$jobs" ]; do
        wait -n
    done
    run "$target" &
done
wait

status=0
for target in "${targets[@]}"; do
    work=$build/run/$target
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)
    findings=$(find "$work/artifacts" -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' \) | wc -l)
    if [ -z "$execs" ]; then
        execs=unknown
        [ "$findings" -gt 0 ] || findings=1   # it stopped without its final report
    fi
    printf '%-20s %12s executions  %d findings' "$target" "$execs" "$findings"
    if [ "$findings" -gt 0 ]; then
        printf '  (see %s/log and %s/artifacts)' "$work" "$work"
        status=1
    fi
    printf '\n'
done
exit $status
