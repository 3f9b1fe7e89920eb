#!/usr/bin/env bash
# Runs the Windows console program WINE_PROGRAM under Wine the way a Linux
# program runs: its output with Unix line ends, its exit status. Lets a
# script written for the Linux package checker drive check-package.exe.
#   WINE_PROGRAM=<program.exe> wine-console.sh [arguments...]
set -o pipefail
wine "${WINE_PROGRAM:?}" "$@" | tr -d '\r'
