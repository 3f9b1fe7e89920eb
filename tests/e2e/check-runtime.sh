#!/usr/bin/env bash
# A failure inside the C++ library ends a shipped program at once, with the
# message of framework/Runtime.cpp on its error stream and exit status 2
# (the console build; the installer shows the same texts in a message box).
#   tests/e2e/check-runtime.sh <runtime-probe.exe>
set -u
probe=${1:?usage: $0 <runtime-probe.exe>}
log=$(mktemp)
trap 'rm -f "$log"' EXIT
failed=0

expect() {   # case, status, whole output
    local out status
    # Through a file, not a pipe: the Wine services that the first program of
    # a session starts keep its handles, and a pipe would stay open.
    wine "$probe" "$1" >"$log" 2>&1
    status=$?
    out=$(tr -d '\r' <"$log")
    if [ "$status" -ne "$2" ] || [ "$out" != "$3" ]; then
        echo "FAIL $1: status $status, output '$out'; expected status $2, output '$3'"
        failed=1
    else
        echo "ok $1: status $status, '$out'"
    fi
}

expect none 0 "survived abc"
expect memory 2 "There is not enough memory to complete this step."
expect length 2 "An unexpected error stopped this step."
expect range 2 "An unexpected error stopped this step."
exit $failed
