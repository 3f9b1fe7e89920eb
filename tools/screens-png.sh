#!/usr/bin/env bash
# Turns each BMP screenshot in a folder into a PNG of the same name, and
# removes the BMP once its PNG is made:
#   tools/screens-png.sh <folder>
# Netpbm writes an 8-bit palette PNG: a dialog has few colours, so the file is
# small; past 256 (smoothed text) its median cut picks them. It writes no time
# or text chunk, so the same pixels always give the same bytes.
set -uo pipefail
folder=${1:?usage: $0 <folder>}
status=0
for bmp in "$folder"/*.bmp; do
    [ -e "$bmp" ] || continue
    png=${bmp%.bmp}.png
    if bmptopnm -quiet "$bmp" | pnmquant -quiet 256 | pnmtopng -quiet -compression 9 >"$png.part"; then
        mv "$png.part" "$png" && rm -f "$bmp"
    else
        echo "screens-png: $bmp: not converted (kept as BMP)" >&2
        rm -f "$png.part"
        status=1
    fi
done
exit $status
