#!/usr/bin/env bash
# Turns each BMP screenshot in a folder into a PNG of the same name, and
# removes the BMP once its PNG is made, one picture per processor at a time:
#   tools/screens-png.sh <folder>
# Netpbm writes an 8-bit palette PNG: a dialog has few colours, so the file is
# small; past 256 (smoothed text) its median cut picks them. It writes no time
# or text chunk, so the same pixels always give the same bytes.
set -uo pipefail
folder=${1:?usage: $0 <folder>}
convert() { # <bmp>
    local bmp=$1 png=${1%.bmp}.png
    if bmptopnm -quiet "$bmp" | pnmquant -quiet 256 | pnmtopng -quiet -compression 9 >"$png.part"; then
        mv "$png.part" "$png" && rm -f "$bmp"
    else
        echo "screens-png: $bmp: not converted (kept as BMP)" >&2
        rm -f "$png.part"
        return 1
    fi
}
export -f convert
find "$folder" -maxdepth 1 -name '*.bmp' -print0 |
    xargs -0 -r -n 1 -P "$(nproc 2>/dev/null || echo 2)" bash -c 'convert "$1"' convert || exit 1
