#!/usr/bin/env bash
# Runs a command once per step, in order, stopping at the first step that
# fails, and ends with the wall time of each step run and of them all:
#   tools/timed-steps.sh <title> <command...> -- <step>...
# e.g. tools/timed-steps.sh "make test" make -- unit e2e  runs "make unit",
# then "make e2e". A step "a b | c d" runs a then b while c then d run beside
# them at a lower priority, so that they take only the processor time a and b
# leave; their output is shown once both lanes are over, and the next step
# starts then.
set -u
title=${1:?usage: $0 <title> <command...> -- <step>...}
shift
cmd=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    cmd+=("$1")
    shift
done
[ $# -gt 1 ] && [ ${#cmd[@]} -gt 0 ] || { echo "usage: $0 <title> <command...> -- <step>..." >&2; exit 2; }
shift

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
ms() { date +%s%3N; }
seconds() { printf '%6d.%d s' $(($1 / 1000)) $(($1 % 1000 / 100)); }

lane() { # <rows file> <indent> <step>...: in order, up to the first that fails
    local rows=$1 indent=$2 step t0 status
    shift 2
    for step in "$@"; do
        t0=$(ms)
        "${cmd[@]}" "$step"
        status=$?
        printf '%s%-*s %s%s\n' "$indent" $((14 - ${#indent})) "$step" "$(seconds $(($(ms) - t0)))" \
            "$([ $status = 0 ] || echo '  FAILED')" >>"$rows"
        [ $status = 0 ] || return 1
    done
}

status=0
start=$(ms)
for arg in "$@"; do
    if [[ $arg == *"|"* ]]; then
        read -r -a front <<<"${arg%%|*}"
        read -r -a beside <<<"${arg#*|}"
        (renice -n 10 -p "$BASHPID" >/dev/null && lane "$tmp/beside" "    " "${beside[@]}") >"$tmp/beside.out" 2>&1 &
        lane "$tmp/rows" "  " "${front[@]}" || status=1
        wait $! || status=1
        cat "$tmp/beside.out"
        echo "    beside them, at a lower priority:" >>"$tmp/rows"
        cat "$tmp/beside" >>"$tmp/rows" 2>/dev/null
    else
        lane "$tmp/rows" "  " "$arg" || status=1
    fi
    [ $status = 0 ] || break
done
echo
echo "$title, the time of each step:"
cat "$tmp/rows"
printf '  %-12s %s\n' "in all" "$(seconds $(($(ms) - start)))"
exit $status
