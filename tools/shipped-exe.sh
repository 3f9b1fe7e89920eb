# Sourced by the release tools: shipped_exe <file> is true for a 32-bit
# (i386) Windows program, the only kind a release holds; otherwise it prints
# what the file is instead. The 64-bit build is for the
# tests: a 64-bit installer could not load Palm Desktop's 32-bit library.
shipped_exe() {
    local machine
    # The PE header's offset at 0x3c, its machine field 4 bytes past "PE\0\0".
    machine=$(python3 -c '
import struct, sys
data = open(sys.argv[1], "rb").read(4096)
pe = struct.unpack_from("<I", data, 0x3C)[0] if data[:2] == b"MZ" and len(data) >= 0x40 else 0
print("%x" % struct.unpack_from("<H", data, pe + 4)[0] if data[pe:pe + 4] == b"PE\0\0" else "none")
' "$1" 2>/dev/null)
    case $machine in
    14c) return 0 ;;
    8664) echo "the 64-bit test build, which never ships: a release takes the 32-bit build (build/win32)" ;;
    *) echo "not a 32-bit Windows program (machine ${machine:-unreadable})" ;;
    esac
    return 1
}
