#!/usr/bin/env bash
# Lays out the demo Mirabo package, as a maker ships it beside setup.exe: the
# two lists, the two notes files in code page 874 with CR LF line ends (as a
# Thai packager's editor saves them), a PalmDOC guide and the application's
# resource database. The same sources give the same bytes.
#   demo/make-package.sh <folder>
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 <folder>" >&2; exit 2; }
cd "$(dirname "$0")"
out=$1
mkdir -p "$out"

thai() { iconv -f UTF-8 -t CP874 "$1" | sed 's/$/\r/' > "$2"; }

thai package/install.txt "$out/install.tms"
thai package/update.txt "$out/update.tms"
cp package/install.cfg package/update.cfg "$out/"
txt2pdbdoc "Mirabo Guide" package/guide.txt "$out/MiraboGuide.pdb" >/dev/null
# txt2pdbdoc stamps the header's creation and modification dates (big-endian
# seconds since 1904, at bytes 36 and 40) with the time of the run: fix them
# to those of the application database, 2026-01-01 00:00 UTC.
printf '\xe5\x7b\x69\x80\xe5\x7b\x69\x80' |
    dd of="$out/MiraboGuide.pdb" bs=1 seek=36 count=8 conv=notrunc status=none
perl make-prc.pl "$out/MiraboReader.prc" >/dev/null
