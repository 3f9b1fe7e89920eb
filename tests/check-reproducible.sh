#!/usr/bin/env bash
# Proves the shipped programs are reproducible: builds them a second time from
# a copy of the sources at another path, into a build folder of another name
# and length, later, under another time zone and locale, and compares the
# bytes with those of the given build.
#   tests/check-reproducible.sh <windows build dir>
# The second tree and build go to <windows build dir>/../repro/.
set -euo pipefail

if [ $# -ne 1 ] || [ ! -f "$1/CMakeCache.txt" ]; then
    echo "usage: $0 <configured windows build dir>" >&2
    exit 2
fi
first=$(cd "$1" && pwd)
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "$first/../repro")
src="$work/sources-copied-elsewhere"
second="$work/b"
type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$first/CMakeCache.txt")

# The programs a release carries; check-package.exe once the tree has it.
shipped=(setup)
grep -q 'check-package' <(cmake --build "$first" --target help 2>/dev/null) && shipped+=(check-package)

copy_tree() {
    mkdir -p "$2"
    tar -C "$1" --exclude=./.git --exclude=./build --exclude='./build-*' -cf - . | tar -C "$2" -xf -
}

rm -rf "$work"
# The working tree as it is now, and the first build brought up to it (a no-op
# after make), so that both builds see the same sources.
copy_tree "$repo" "$src"
cmake --build "$first" --target "${shipped[@]}" >/dev/null

export TZ=Pacific/Kiritimati LC_ALL=C.UTF-8
cmake -S "$src" -B "$second" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw32.cmake \
    -DCMAKE_BUILD_TYPE="$type" >/dev/null
cmake --build "$second" -j "$(nproc 2>/dev/null || echo 2)" --target "${shipped[@]}" >/dev/null

failed=0
if ! diff -r -q --exclude=.git --exclude=build --exclude='build-*' "$repo" "$src" >&2; then
    echo "the sources changed while the check ran: run it again on a quiet tree" >&2
    exit 2
fi
for t in "${shipped[@]}"; do
    a="$first/$t.exe" b="$second/$t.exe"
    if cmp -s "$a" "$b"; then
        echo "reproducible: $t.exe $(sha256sum <"$a" | cut -c1-16)... identical in both builds"
    else
        failed=1
        echo "NOT reproducible: $t.exe differs between $a and $b" >&2
        cmp -l "$a" "$b" | head -n 20 >&2 || true
        diff <(objdump -x "$a" | head -n 60) <(objdump -x "$b" | head -n 60) >&2 || true
    fi
done
[ "$failed" = 0 ] && rm -rf "$work"
exit "$failed"
