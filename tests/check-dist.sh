#!/usr/bin/env bash
# Checks the release folder and zip that tools/make-dist.sh makes: made twice,
# later, in another time zone and umask, the zips are identical and carry no
# time of the run; two clones of the commit, one with an untracked file, give
# the same zip; SHA256SUMS matches the files and names every one; the zip
# holds exactly the folder; the sample package passes the checker clean; the
# guide's notes recipe writes nothing from wrong input.
#   tests/check-dist.sh <windows build dir> <work dir> [native check-package [64-bit build dir]]
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 <windows build dir> <work dir> [check-package [64-bit build dir]]" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/.." && pwd)
work=$(realpath -m "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
"$repo/tools/make-dist.sh" "$1" "$work/a" >/dev/null
(umask 077 && TZ=America/St_Johns "$repo/tools/make-dist.sh" "$1" "$work/b" >/dev/null)
zip=$(echo "$work"/a/*.zip)
dist=${zip%.zip}
cmp "$zip" "$work/b/${zip##*/}" || fail "two runs give different zips"
# Two runs a second apart can share a time stamp: look for the time of the run
# itself in the zip's entries and in the Palm databases' headers.
python3 - "$zip" <<'PY' || fail "the release carries the time it was made"
import struct, sys, time, zipfile
now = time.time()
with zipfile.ZipFile(sys.argv[1]) as z:
    for info in z.infolist():
        made = time.mktime(info.date_time + (0, 0, -1))
        assert abs(made - now) > 2 * 86400, info.filename
        if info.filename.endswith((".pdb", ".prc")):
            for palm in struct.unpack_from(">II", z.read(info), 36):
                assert abs(palm - 2082844800 - now) > 2 * 86400, info.filename
PY

(cd "$dist" && sha256sum --quiet -c SHA256SUMS) || fail "SHA256SUMS does not match"
listed=$(cut -c67- "$dist/SHA256SUMS" | LC_ALL=C sort)
present=$(cd "$dist" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort)
[ "$listed" = "$present" ] || fail "SHA256SUMS names $listed, the folder holds $present"
for f in setup.exe check-package.exe packaging.md BUILDINFO sample-package/install.cfg; do
    [ -s "$dist/$f" ] || fail "$f missing from the release folder"
done

python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work/unzipped"
diff -r "$dist" "$work/unzipped/${dist##*/}" || fail "the zip does not hold the folder"

# The same commit gives the same release in any clone: an untracked file
# does not count as a local change, an edit of a tracked one does.
clone() {
    git init -q "$1"
    git -C "$1" fetch -q "$repo" HEAD
    git -C "$1" checkout -q FETCH_HEAD
}
clone "$work/clean"
clone "$work/used"
mkdir "$work/used/my-package" && echo "MyApp.prc" >"$work/used/my-package/install.cfg"
"$work/clean/tools/make-dist.sh" "$1" "$work/clean-dist" >/dev/null
"$work/used/tools/make-dist.sh" "$1" "$work/used-dist" >/dev/null
cmp "$work/clean-dist/${zip##*/}" "$work/used-dist/${zip##*/}" ||
    fail "a clone with an untracked file gives another zip: $(cat "$work/used-dist/${dist##*/}/BUILDINFO")"
head=$(git -C "$repo" rev-parse HEAD)
grep -qx "sources: commit $head" "$work/clean-dist/${dist##*/}/BUILDINFO" ||
    fail "BUILDINFO of a clean clone: $(head -n 1 "$work/clean-dist/${dist##*/}/BUILDINFO")"
echo "# changed" >>"$work/used/docs/packaging.md"
"$work/used/tools/make-dist.sh" "$1" "$work/used-dist" >/dev/null
grep -qx "sources: commit $head, with local changes" "$work/used-dist/${dist##*/}/BUILDINFO" ||
    fail "BUILDINFO after a tracked file changed: $(head -n 1 "$work/used-dist/${dist##*/}/BUILDINFO")"

# The guide's notes recipe, as the guide gives it: good UTF-8 gives code page
# 874 with CR LF; a byte-order mark or a byte that is not UTF-8 stops it with
# an error, and no notes file is written.
recipe=$(awk '/^To produce code page 874/ { on = 1; next } on && /^    / { print substr($0, 5); seen = 1; next }
              seen { exit }' "$repo/docs/packaging.md")
[ -n "$recipe" ] || fail "no notes recipe in the guide"
mkdir "$work/recipe"
for input in good bom bad; do
    case $input in
    good) printf '\xe0\xb8\x81 Thai\nline 2\r\n' ;;
    bom) printf '\xef\xbb\xbfThai\n' ;;
    bad) printf 'ok \xff\n' ;;
    esac >"$work/recipe/notes.txt"
    rm -f "$work/recipe/install.tms"
    set +e
    (cd "$work/recipe" && eval "$recipe") 2>"$work/recipe/err"
    set -e
    if [ "$input" = good ]; then
        [ "$(od -An -tx1 "$work/recipe/install.tms" | tr -d ' \n')" = a120546861690d0a6c696e6520320d0a ] ||
            fail "the notes recipe gave $(od -c "$work/recipe/install.tms")"
    else
        [ ! -e "$work/recipe/install.tms" ] || fail "the notes recipe wrote install.tms from $input input"
        grep -q 'iconv: ' "$work/recipe/err" || fail "the notes recipe was silent on $input input"
    fi
done
[ -z "$(ls "$work/recipe" | grep -v -x -e notes.txt -e err)" ] || fail "the notes recipe left $(ls "$work/recipe")"

checked=""
if [ $# -ge 3 ]; then
    [ -x "$3" ] || fail "$3 is not built"
    "$3" "$dist/sample-package" >"$work/check.log" || fail "check-package on the sample: $(cat "$work/check.log")"
    grep -q ' 0 errors, 0 warnings' "$work/check.log" || fail "sample not clean: $(cat "$work/check.log")"
    checked=", sample clean"
fi
# The 64-bit test build never makes a release, nor passes for one.
if [ $# -ge 4 ]; then
    if "$repo/tools/make-dist.sh" "$4" "$work/twin" >/dev/null 2>"$work/twin.err" || [ -e "$work/twin" ]; then
        fail "make-dist took the 64-bit build"
    fi
    grep -q 'setup.exe is the 64-bit test build' "$work/twin.err" || fail "make-dist on the 64-bit build: $(cat "$work/twin.err")"
    cp -r "$dist" "$work/twin-dist"
    cp "$4/setup.exe" "$work/twin-dist/setup.exe"
    (cd "$work/twin-dist" && find . -type f ! -name SHA256SUMS -printf '%P\n' | LC_ALL=C sort |
        xargs -d '\n' sha256sum >SHA256SUMS)
    "$repo/tools/verify-dist.sh" "$work/twin-dist" >"$work/twin.log" && fail "verify-dist passed a 64-bit setup.exe"
    grep -q '^setup.exe: the 64-bit test build' "$work/twin.log" || fail "verify-dist on a 64-bit setup.exe: $(cat "$work/twin.log")"
    "$repo/tools/verify-dist.sh" --build "$4" "$dist" >"$work/twin.log" 2>&1 && fail "verify-dist compared with the 64-bit build"
    grep -q 'is the 64-bit test build' "$work/twin.log" || fail "verify-dist --build <64-bit build>: $(cat "$work/twin.log")"
    checked="$checked, the 64-bit build refused"
fi
echo "dist: ${zip##*/} $(stat -c %s "$zip") bytes, same bytes twice and from two clones, sums and zip match, notes recipe sound$checked"
rm -rf "$work"
