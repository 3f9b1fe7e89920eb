#!/usr/bin/env bash
# Exits 0 when this machine runs a 32-bit x86 Linux program, 1 when it does
# not (a kernel without IA-32 emulation answers "Exec format error"),
# whatever is installed: it runs a tiny static i386 program that exits 0.
#   tools/runs-i386.sh || make e2e-vm
set -u
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
python3 - "$probe" <<'PY'
import struct, sys
base = 0x08048000
code = bytes([0x31, 0xDB,                    # xor ebx, ebx      status 0
              0xB8, 0x01, 0, 0, 0,           # mov eax, 1        exit
              0xCD, 0x80])                   # int 0x80
headers = 52 + 32                            # ELF header, one program header
elf = b"\x7fELF" + bytes([1, 1, 1]) + bytes(9)
elf += struct.pack("<HHIIIIIHHHHHH", 2, 3, 1, base + headers, 52, 0, 0, 52, 32, 1, 0, 0, 0)
elf += struct.pack("<8I", 1, 0, base, base, headers + len(code), headers + len(code), 5, 0x1000)
open(sys.argv[1], "wb").write(elf + code)
PY
chmod +x "$probe"
"$probe" 2>/dev/null || exit 1
