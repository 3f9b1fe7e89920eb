#!/usr/bin/env bash
# Starts an Xvfb display of its own, detached from the caller, and prints
# ":N PID" once the server takes clients. No window manager runs on it, so
# nothing moves or decorates the pages. Exits 1 when the server cannot start.
#   read -r display pid < <(tools/start-xvfb.sh)
set -u
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkfifo "$dir/number"
# -displayfd picks a free display and writes its number once the server
# accepts connections; a server that dies first closes the pipe unwritten.
setsid Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$dir/number" </dev/null >/dev/null 2>&1 &
pid=$!
n=""
read -r n <"$dir/number" || true
if [ -z "$n" ]; then
    echo "Xvfb did not start" >&2
    exit 1
fi
echo ":$n $pid"
