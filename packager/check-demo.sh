#!/usr/bin/env bash
# The checker on real package folders: the demo package passes clean and is
# left exactly as it was; a broken copy fails; a folder that is not there or
# a wrong command line is exit status 2.
#   packager/check-demo.sh <check-package> <work folder>
set -euo pipefail
checker=$(realpath "$1")
work=$(realpath -m "$2")
root=$(cd "$(dirname "$0")/.." && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work"
"$root/demo/make-package.sh" "$work/Mirabo"
before=$(cd "$work/Mirabo" && find . -printf '%p %s %T@ %m\n' | sort; sha256sum ./*)

set +e
out=$("$checker" "$work/Mirabo"); status=$?
set -e
echo "$out"
[ "$status" -eq 0 ] || fail "demo package: exit status $status"
echo "$out" | grep -q ': 0 errors, 0 warnings, 3 entries checked$' || fail "demo package is not clean"
echo "$out" | grep -q 'fits in a folder path of at most 182 characters' || fail "demo package: wrong depth"
after=$(cd "$work/Mirabo" && find . -printf '%p %s %T@ %m\n' | sort; sha256sum ./*)
[ "$before" = "$after" ] || fail "the checker changed the package folder"

cp -r "$work/Mirabo" "$work/Broken"
rm "$work/Broken/MiraboGuide.pdb"
set +e
out=$("$checker" "$work/Broken"); status=$?
set -e
[ "$status" -eq 1 ] || fail "broken package: exit status $status"
echo "$out" | grep -qx 'install\.cfg:2: error: .* \[file-missing\]' || fail "broken package: $out"

for args in "$work/none" "$work/Mirabo/install.cfg" ""; do
    set +e
    "$checker" ${args:+"$args"} >/dev/null 2>&1; status=$?
    set -e
    [ "$status" -eq 2 ] || fail "check-package '$args': exit status $status, not 2"
done
echo "check-package: demo clean, broken copy refused, bad arguments exit 2"
