#!/usr/bin/env bash
# The checker's reports on real folders: the demo package, names saved as
# UTF-8 and in code page 874 with files of those names on disk, a list read
# in code page 1252, a folder with a Thai name, one folder for each kind of
# mistake, and the command line's answers (usage, unknown option, wrong code
# page). Each run's report and exit status must be those in
# packager/expected-reports.txt, where a finding is its place, severity and
# rule id alone ("install.cfg:3: error: [file-missing]"), so that a reworded
# message changes none of them; the few wordings that matter beyond the rule
# (names quoted as \xHH, code pages, limits) are checked whole below. Given
# check-package.exe too, it runs that under Wine (Thai locale; English for
# the Thai-named folder) on the same folders and its reports must be the
# same, word for word; given codepage-check.exe as well, that checks the
# code page tables against Windows' own conversions; given console-screen.exe
# too, a few runs on a console of their own must show on its screen the
# characters of the report, Thai folder names included, in either locale.
#   packager/check-reports.sh <check-package> <work dir>
#                             [<check-package.exe> [<codepage-check.exe> [<console-screen.exe>]]]
# With --update, writes the native reports to expected-reports.txt instead.
set -euo pipefail
update=0
[ "${1:-}" = --update ] && { update=1; shift; }
[ $# -ge 2 ] || { echo "usage: $0 [--update] <check-package> <work dir> [<check-package.exe> [<codepage-check.exe> [<console-screen.exe>]]]" >&2; exit 2; }
native=$(realpath "$1")
work=$(realpath -m "$2")
exe=${3:+$(realpath "$3")}
tables=${4:+$(realpath "$4")}
screen=${5:+$(realpath "$5")}
here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/.." && pwd)
expected=$here/expected-reports.txt
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work/folders"
mkdir -p "$work/folders"
if [ -n "$exe" ]; then
    # The Wine and the prefix of the build check-package.exe comes from: the
    # prefix its end-to-end cases run in, made once.
    . "$repo/tools/wine-env.sh" "$(dirname "$exe")" || exit 1
    export WINEPREFIX=$(dirname "$exe")/wineprefix LANG=th_TH.UTF-8 LC_ALL=th_TH.UTF-8
    "$repo/tools/wine-prefix.sh"
fi
cd "$work/folders"

"$repo/demo/make-package.sh" "$PWD/demo"
palm() { cp demo/MiraboGuide.pdb "$1"; }
variant() { cp -r demo "$1"; }

# Names in UTF-8, the way a Linux editor saves them: the files exist, but not
# as a Thai Windows reads the list's bytes.
variant utf8
palm "utf8/über.pdb"
palm "utf8/กข.pdb"
printf 'MiraboReader.prc\r\n\xc3\xbcber.pdb\r\n\xe0\xb8\x81\xe0\xb8\x82.pdb\r\n' >utf8/install.cfg
# Names in code page 874: found on a Thai Windows, with a warning; an
# undefined byte and a Latin name in another case.
variant cp874
palm "cp874/กข.pdb"
palm "cp874/Ünï.pdb"
printf 'MiraboReader.prc\r\n\xa1\xa2.pdb\r\n\xa1\xdb.pdb\r\n\xdcN\xcf.pdb\r\n' >cp874/install.cfg
# The same Latin names for a Western customer (code page 1252).
variant cp1252
palm "cp1252/Ünï.pdb"
printf 'MiraboReader.prc\r\n\xdcn\xef.pdb\r\n\xfcN\xcf.PDB\r\n' >cp1252/install.cfg
# Encodings: byte-order marks and UTF-16.
variant marks
printf '\xef\xbb\xbfMiraboReader.prc\r\n' >marks/update.cfg
printf '\xef\xbb\xbfNotes\r\n' >marks/install.tms
printf 'M\0i\0r\0a\0b\0o\0G\0u\0i\0d\0e\0.\0p\0d\0b\0\r\0\n\0' >marks/install.cfg
printf '\xff\xfeH\0i\0\n\0' >marks/update.tms
# Lengths: a line read in pieces, entries close to the limit, the depth line.
variant lengths
long=$(printf 'g%.0s' $(seq 189)).pdb
palm "lengths/$long"
{ printf 'MiraboReader.prc\r\n%s\r\n' "$long"; printf 'x%.0s' $(seq 350); printf '\r\n\r\n'; } >lengths/install.cfg
# Names Windows treats its own way.
variant names
mkdir names/Data
palm names/Data/Extra.pdb
printf '%s\r\n' 'data\extra.PDB' 'Data/Extra.pdb' 'MiraboGuide.pdb' 'MiraboGuide.pdb' 'C:\Mirabo\A.prc' \
    '..\Mirabo\MiraboGuide.pdb' 'COM0' 'lpt0.txt' 'Con .pdb' 'a:b.pdb' 'Data\Missing.pdb' 'Data' ' MiraboGuide.pdb' \
    'MiraboReader.prc\' >names/install.cfg
printf 'Tab\there.pdb\r\nNUL\0.pdb\r\n' >names/update.cfg
# A folder named in Thai, checked on an English Windows (code page 1252,
# which has no Thai letter): the command line must still name it.
thai=$'\xe0\xb8\x8a\xe0\xb8\xb8\xe0\xb8\x94'   # ชุด
variant "$thai"
# Missing pieces.
variant missing
rm missing/update.tms missing/MiraboGuide.pdb
mkdir missing/update.cfg.tmp && rm missing/update.cfg && mv missing/update.cfg.tmp missing/update.cfg

# A finding without its message: "FILE[:LINE]: error: [rule-id]".
by_rule() { sed -E 's/^([^:]*(:[0-9]+)?: (error|warning): ).* (\[[a-z0-9-]+\])$/\1\4/'; }

# One run: its report and exit status appended to reports.txt (findings by
# rule) and full-reports.txt (word for word); under Wine (in the locale
# $locale) the same word for word, or the run fails.
locale=th_TH.UTF-8
run() {
    set +e
    "$native" "$@" >"$work/linux.out" 2>"$work/linux.err"; local a=$?
    set -e
    { echo "== check-package $*"; by_rule <"$work/linux.out"; sed 's/^/stderr: /' "$work/linux.err"
      echo "exit status $a"; } >>"$work/reports.txt"
    cat "$work/linux.out" >>"$work/full-reports.txt"
    [ -n "$exe" ] || return 0
    set +e
    LANG=$locale LC_ALL=$locale wine "$exe" "$@" 2>"$work/wine.err" | tr -d '\r' >"$work/wine.out"
    local b=${PIPESTATUS[0]}
    set -e
    [ "$a" = "$b" ] || fail "check-package $*: exit status $a on Linux, $b under Wine ($(cat "$work/wine.err"))"
    diff -u "$work/linux.out" "$work/wine.out" >&2 || fail "check-package $*: the reports differ"
    # The usage text goes to the error stream: the same there too.
    diff -u "$work/linux.err" <(tr -d '\r' <"$work/wine.err") >&2 || fail "check-package $*: the error streams differ"
}

rm -f "$work/reports.txt" "$work/full-reports.txt"
for folder in demo utf8 cp874 marks lengths names missing; do
    run "$folder"
done
run --codepage 1252 cp1252
locale=en_US.UTF-8 run --codepage 1252 "$thai"
run --codepage=1252 cp874
for args in "--help" "-h" "/?" "--frobnicate demo" "--codepage 65001 demo" "--codepage" "" "demo demo" "none" \
    "demo/install.cfg"; do
    # shellcheck disable=SC2086
    run $args
done

if [ "$update" = 1 ]; then
    cp "$work/reports.txt" "$expected"
    echo "wrote $expected"
else
    diff -u "$expected" "$work/reports.txt" >&2 || fail "the reports are not those in $expected"
fi
# Wordings that matter beyond the rule, each a whole finding of the runs
# above: bytes outside printable ASCII as \xHH in list names and in names on
# disk, the code page the names were read in, the path limits.
wording=(
    'install.cfg:2: error: "\xC3\xBCber.pdb" is missing as Windows reads it: the list is UTF-8, but the installer reads names in the system'"'"'s code page (874 here), where these bytes are other letters; keep names to plain ASCII letters, digits, '"'"'.'"'"', '"'"'-'"'"' and '"'"'_'"'"' [file-name-utf8]'
    'install.cfg:3: warning: "\xFCN\xCF.PDB" is found as "\xC3\x9Cn\xC3\xAF.pdb" only because Windows ignores case; write it as it is on disk, or it breaks on case-sensitive media [file-name-case]'
    'update.cfg:1: error: "Tab\x09here.pdb": a Windows file name cannot hold control characters [file-name-character]'
    'update.cfg:1: error: the list starts with a UTF-8 byte-order mark, which the installer takes as part of the first name, "\xEF\xBB\xBFMiraboReader.prc", so it finds no such file; save the list without a byte-order mark [list-byte-order-mark]'
    'install.cfg:3: error: this 350-character entry does not fit a 199-character path even in a drive root (at most 196 characters); the installer refuses the list [list-entry-too-long]'
)
for line in "${wording[@]}"; do
    grep -qxF -- "$line" "$work/full-reports.txt" || fail "no report says, word for word: $line"
done
if [ -n "$tables" ]; then
    wine "$tables" | tr -d '\r' || fail "the code page tables differ from Windows' own"
fi
# On a console the report is the same text: Linux's bytes are what the
# console's screen must show, stdout and stderr alike.
on_console() {
    local locale=$1; shift
    set +e
    "$native" "$@" >"$work/linux.out" 2>&1; local a=$?
    LANG=$locale LC_ALL=$locale wine "$screen" "$exe" "$@" | tr -d '\r' >"$work/screen.out"
    local b=${PIPESTATUS[0]}
    set -e
    [ "$a" = "$b" ] || fail "check-package $* on a console: exit status $a on Linux, $b under Wine"
    diff -u "$work/linux.out" "$work/screen.out" >&2 || fail "check-package $* on a console in $locale shows another text"
}
if [ -n "$screen" ]; then
    on_console en_US.UTF-8 --codepage 1252 "$thai"
    on_console en_US.UTF-8 "$thai/none"
    on_console th_TH.UTF-8 "$thai"
    on_console th_TH.UTF-8 names
    on_console th_TH.UTF-8 --help
    echo "check-package: on a console of its own, the screen shows each report's characters"
fi
runs=$(grep -c '^== ' "$work/reports.txt")
echo "check-package: $runs runs give the expected reports${exe:+, the same from $exe under Wine}"
rm -rf "$work/folders"
