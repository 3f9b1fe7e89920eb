#!/usr/bin/env bash
# Static checks over the compile databases CMake writes:
# - clang-tidy (.clang-tidy) over the portable logic and the package checker,
#   configured natively with clang (the checker alone: it is built of both);
# - cppcheck over all the product code, as the 32-bit Windows build compiles
#   it, without Windows headers (its windows library describes the API
#   instead); the tests, the stand-in and GoogleTest are not product code.
# Only configured, never built.
# Usage: tools/static-check.sh [build dir, default build/tidy]
# Exits non-zero when either tool reports anything.
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build/tidy}")
cd "$root" || exit 2
jobs=$(nproc 2>/dev/null || echo 2)

configure() { # <folder> <cmake options>...
    mkdir -p "$1"
    cmake -S . -B "$1" -DCMAKE_EXPORT_COMPILE_COMMANDS=ON "${@:2}" >"$1/configure.log" 2>&1 ||
        { cat "$1/configure.log" >&2; exit 2; }
}
configure "$build/native" -DCHECKER_ONLY=ON -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DCHECK_PACKAGE_DIR="$build/native/tools"
configure "$build/win32" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake -DCMAKE_BUILD_TYPE=MinSizeRel

status=0
echo "== clang-tidy"
# Its findings alone: run-clang-tidy colours them always and names each
# file it starts on.
run-clang-tidy -quiet -j "$jobs" -p "$build/native" 2>&1 | sed 's/\x1b\[[0-9;]*m//g' |
    grep -v -E '^[0-9]+ (warnings?|errors?) (generated|treated as errors)|^Error while processing|^clang-tidy[-0-9]* |^Running clang-tidy for|^$'
[ "${PIPESTATUS[0]}" -eq 0 ] || status=1

echo "== cppcheck"
cppcheck --quiet --enable=warning,performance,portability --error-exitcode=1 --inline-suppr -j "$jobs" \
    --project="$build/win32/compile_commands.json" -i "$root/tests/" -i "$root/standin/" -i /usr/src/ \
    --library=windows -D_WIN32 -DWIN32 -DWINAPI= -DCALLBACK= --suppress=missingIncludeSystem 2>&1 || status=1

[ $status -eq 0 ] && echo "static checks: clean"
exit $status
