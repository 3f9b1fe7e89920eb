#!/usr/bin/env bash
# Lays out the release folder and its zip from a Windows build:
#   <out>/mirabo-setup-<version>/      setup.exe, check-package.exe, packaging.md,
#                                      sample-package/ (the demo package), BUILDINFO,
#                                      SHA256SUMS
#   <out>/mirabo-setup-<version>.zip
# The version is the one setup.exe's version record carries. Given a key
# (SIGN_PKCS12, or SIGN_CERT and SIGN_KEY: see tools/sign.sh), setup.exe and
# check-package.exe are signed before anything is summed or zipped. The folder
# and zip are made aside and moved in place whole: a run that fails leaves
# neither, not even those of an earlier run.
#   tools/make-dist.sh <windows build dir> <out dir>
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 <windows build dir> <out dir>" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
win=$(cd "$1" && pwd)
out=$(realpath -m "$2")

version=$(sed -n 's/^ *VALUE "FileVersion", *"\([0-9.]*\)".*/\1/p' "$repo/res/setup.rc")
[ -n "$version" ] || { echo "no FileVersion in res/setup.rc" >&2; exit 1; }
name=mirabo-setup-$version

missing=0
for f in "$win/setup.exe" "$win/check-package.exe" "$repo/docs/packaging.md"; do
    [ -f "$f" ] || { echo "make-dist: $f is missing (not built yet?)" >&2; missing=1; }
done
[ "$missing" = 0 ] || exit 1
. "$repo/tools/shipped-exe.sh"
for f in "$win/setup.exe" "$win/check-package.exe"; do
    why=$(shipped_exe "$f") || { echo "make-dist: $f is $why; no release made" >&2; exit 1; }
done

rm -rf "${out:?}/$name" "$out/$name.zip"
mkdir -p "$out"
stage=$(mktemp -d "$out/.$name.XXXXXX")
trap 'rm -rf "$stage"' EXIT
dist=$stage/$name
mkdir "$dist"
cp "$win/setup.exe" "$win/check-package.exe" "$repo/docs/packaging.md" "$dist/"

# Signing, when a key is given: what the sums and the zip hold is signed.
signed=""
if [ -n "${SIGN_PKCS12:-}${SIGN_CERT:-}${SIGN_KEY:-}${SIGN_PASS_FILE:-}${SIGN_TIMESTAMP:-}" ]; then
    signed=$("$repo/tools/sign.sh" "$dist/setup.exe" "$dist/check-package.exe")
fi

# The sample is the package without setup.exe: a maker puts the setup.exe
# above beside their own files, and one copy of it is one less to mix up.
"$repo/demo/make-package.sh" "$dist/sample-package"
# What a maker needs to build the same bytes again: the sources and the
# toolchain they were built with.
{
    commit=$(git -C "$repo" rev-parse HEAD 2>/dev/null || echo unknown)
    # Only tracked files make the release: a maker's own untracked files
    # (a test package, say) change nothing in it.
    [ -z "$(git -C "$repo" status --porcelain --untracked-files=no 2>/dev/null)" ] ||
        commit="$commit, with local changes"
    echo "sources: commit $commit"
    echo "toolchain (Debian packages):"
    dpkg-query -W -f '  ${Package} ${Version}\n' binutils-mingw-w64-i686 gcc-mingw-w64-i686-win32 \
        g++-mingw-w64-i686-win32 gcc-mingw-w64-i686-win32-runtime mingw-w64-i686-dev 2>/dev/null ||
        echo "  unknown"
} >"$dist/BUILDINFO"
[ -z "$signed" ] || echo "$signed" >>"$dist/BUILDINFO"
(cd "$dist" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort |
    xargs -d '\n' sha256sum >SHA256SUMS)
# The zip holds the folder under its own name. zip -X leaves out owners and
# extra times; strip-nondeterminism then sorts the entries, dates every one
# SOURCE_DATE_EPOCH (2026-01-01 when unset) and sets permissions by kind
# (755 for programs, 644 otherwise), whatever the umask of the build was.
(cd "$stage" && zip -q -X -9 -r "$name.zip" "$name")
strip-nondeterminism -t zip -T "${SOURCE_DATE_EPOCH:-1767225600}" "$dist.zip"
mv "$dist.zip" "$dist" "$out/"
echo "$out/$name/"
echo "$out/$name.zip"
