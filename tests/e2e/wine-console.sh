#!/usr/bin/env bash
# Runs the Windows console program WINE_PROGRAM under Wine the way a Linux
# program runs: its output with Unix line ends, its exit status. Lets a
# script written for the Linux package checker drive check-package.exe.
# The output goes through files, not a pipe: the Wine services that the first
# program of a session starts keep its handles, so a pipe would stay open.
#   WINE_PROGRAM=<program.exe> wine-console.sh [arguments...]
set -u
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
wine "${WINE_PROGRAM:?}" "$@" >"$out" 2>"$err"
status=$?
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
exit "$status"
