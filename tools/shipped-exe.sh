# Sourced by the release tools: shipped_exe <file> is true for a 32-bit
# (i386) Windows program, the only kind a release holds; otherwise it prints
# what the file is instead. The 64-bit build is for the
# tests: a 64-bit installer could not load Palm Desktop's 32-bit library.
shipped_exe() {
    local machine
    # Debian's python3, which has pefile (a python3 earlier in PATH may not).
    machine=$(/usr/bin/python3 -c 'import sys, pefile
print("%x" % pefile.PE(sys.argv[1], fast_load=True).FILE_HEADER.Machine)' "$1" 2>/dev/null)
    case $machine in
    14c) return 0 ;;
    8664) echo "the 64-bit test build, which never ships: a release takes the 32-bit build (build/win32)" ;;
    *) echo "not a 32-bit Windows program (machine ${machine:-unreadable})" ;;
    esac
    return 1
}
