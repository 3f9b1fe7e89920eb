#!/usr/bin/env bash
# Runs a command once per step, in order, stopping at the first step that
# fails, and ends with the wall time of each step run and of them all:
#   tools/timed-steps.sh <title> <command...> -- <step>...
# e.g. tools/timed-steps.sh "make test" make -- unit e2e  runs "make unit",
# then "make e2e".
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

ms() { date +%s%3N; }
rows=()
status=0
start=$(ms)
for step in "$@"; do
    t0=$(ms)
    "${cmd[@]}" "$step"
    status=$?
    t1=$(ms)
    rows+=("$(printf '  %-12s %6d.%d s%s' "$step" $(((t1 - t0) / 1000)) $(((t1 - t0) % 1000 / 100)) \
        "$([ $status = 0 ] || echo '  FAILED')")")
    [ $status = 0 ] || break
done
end=$(ms)
echo
echo "$title, the time of each step:"
printf '%s\n' "${rows[@]}"
printf '  %-12s %6d.%d s\n' "in all" $(((end - start) / 1000)) $(((end - start) % 1000 / 100))
exit $status
