#!/bin/sh
# Checks the resources and imports of a built setup.exe: tests/check-binary.sh <path to setup.exe>
exec /usr/bin/python3 "$(dirname "$0")/check_binary.py" "$@"
