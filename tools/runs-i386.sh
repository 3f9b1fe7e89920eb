#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit x86 Linux programs, 1 when it does not
# (a kernel without IA-32 emulation refuses them with "Exec format error"),
# whatever packages are installed: it runs a 90-byte i386 program that only
# exits 0.
#   tools/runs-i386.sh && echo "32-bit Wine can run here"
set -u
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
python3 - "$probe" <<'PY'
import struct, sys
code = bytes.fromhex("b801000000" "31db" "cd80")   # exit(0) through int 0x80
size = 52 + 32 + len(code)
base = 0x08048000
header = b"\x7fELF\x01\x01\x01" + bytes(9) + struct.pack(
    "<HHIIIIIHHHHHH", 2, 3, 1, base + 84, 52, 0, 0, 52, 32, 1, 0, 0, 0)
segment = struct.pack("<IIIIIIII", 1, 0, base, base, size, size, 5, 0x1000)
with open(sys.argv[1], "wb") as f:
    f.write(header + segment + code)
PY
chmod +x "$probe"
"$probe" 2>/dev/null || exit 1
