#!/usr/bin/env bash
# Static checks: clang-tidy (.clang-tidy) over the portable sources and the
# package checker, built natively for the purpose, and cppcheck over all the
# product code without Windows headers (its windows library describes the API instead).
# Usage: tools/static-check.sh [build dir, default build/tidy]
# Exits non-zero when either tool reports anything.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/tidy}")
cd "$root" || exit 2
mkdir -p "$build"

cmake -S . -B "$build" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >"$build/configure.log" 2>&1 ||
    { cat "$build/configure.log" >&2; exit 2; }
portable=$(sed -n '/^set(\(PORTABLE\|CHECKER\)_SOURCES/,/^)/{/\.cpp/p}' CMakeLists.txt)

status=0
echo "== clang-tidy"
# shellcheck disable=SC2086
clang-tidy -p "$build" --quiet --warnings-as-errors='*' $portable 2>&1 |
    grep -v -E '^[0-9]+ (warnings?|errors?) (generated|treated as errors)|^Error while processing'
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

echo "== cppcheck"
cppcheck --quiet --enable=warning,performance,portability --error-exitcode=1 --inline-suppr \
    --std=c++17 --language=c++ --library=windows -D_WIN32 -DWIN32 -DWINAPI= -DCALLBACK= \
    -I . --suppress=missingIncludeSystem \
    core app pages palm framework packager 2>&1 || status=1

[ $status -eq 0 ] && echo "static checks: clean"
exit $status
