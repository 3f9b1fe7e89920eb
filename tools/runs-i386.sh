#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit x86 Linux programs, 1 when it does not
# (a kernel without IA-32 emulation refuses them with "Exec format error"),
# whatever packages are installed: it runs a 93-byte i386 program that only
# exits 0. Written by the shell alone: every end-to-end case asks.
#   tools/runs-i386.sh && echo "32-bit Wine can run here"
set -u
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
{
    # ELF header: 32-bit, little-endian, version 1
    printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    # executable, i386, version 1, entry 0x08048054 (the code below), program
    # headers at 52, no sections, header size 52, one program header of 32
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00'
    printf '\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'
    # one loaded segment: the whole 93 bytes at 0x08048000, read and execute
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
    printf '\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
    # mov eax, 1 (exit); xor ebx, ebx (status 0); int 0x80
    printf '\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80'
} >"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null || exit 1
