#!/usr/bin/env bash
# Runs the end-to-end suite through ctest:
#   tests/e2e/run.sh <windows build dir> [ctest options, e.g. -R users_ or --repeat until-fail:5]
#
# Each case is a ctest test running <build>/tests/e2e/e2e.exe under Wine in
# its locale (Thai cases th_TH.UTF-8, English ones en_US.UTF-8), on the Xvfb
# display and in the Wine prefix <build>/wineprefix that the session fixture
# (session.sh) starts first and ends last. The log goes to <build>/e2e.log,
# screenshots to <build>/screens/*.png; the slowest cases are listed last.
set -u
if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 <windows build dir> [ctest options...]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -f "$build/tests/e2e/e2e.exe" ]; then
    echo "$build/tests/e2e/e2e.exe is not built: run make first" >&2
    exit 2
fi
# A build this machine cannot run is one line, not a list of cases not run.
(. "$here/../../tools/wine-env.sh" "$build") || exit 2
cd "$build" || exit 2
# The cases of one build folder share its prefix and display: one run at a time.
exec 9>"$build/e2e.lock"
if ! flock -n 9; then
    echo "another end-to-end run is using $build" >&2
    exit 2
fi
rm -f e2e-junit.xml
ctest -L e2e --output-on-failure --output-junit e2e-junit.xml "$@" 2>&1 | tee e2e.log
rc=${PIPESTATUS[0]}
[ -f e2e-junit.xml ] && python3 "$here/times.py" e2e-junit.xml
# ctest passes a run whose filter matched nothing; a suite that ran no case
# has shown nothing.
if [ "$rc" = 0 ] && ! grep -v -e 'e2e\.session\.' e2e.log | grep -q '^ *[0-9]*/[0-9]* Test *#[0-9]*: '; then
    echo "no end-to-end case ran in $build" >&2
    rc=1
fi
exit "$rc"
