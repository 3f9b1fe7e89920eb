#!/usr/bin/env bash
# Checks a release folder made by tools/make-dist.sh, wherever it is: every
# file matches SHA256SUMS and SHA256SUMS names every file; each signed program's
# Authenticode signature is valid, against the CA given or the system's trusted
# roots, and made with the certificate BUILDINFO names; and each program
# without its signature is the build: the one in <build dir> when given, the
# SHA-256 BUILDINFO lists otherwise. One line per file or finding; the exit
# status is 0 when all holds, 1 otherwise.
#   tools/verify-dist.sh [--ca <ca.pem>] [--build <windows build dir>] <release folder>
set -uo pipefail
usage() { echo "usage: $0 [--ca <ca.pem>] [--build <windows build dir>] <release folder>" >&2; exit 2; }
ca="" build=""
while [ $# -gt 1 ]; do
    case $1 in
        --ca) ca=$2 ;;
        --build) build=$2 ;;
        *) usage ;;
    esac
    shift 2 || usage
done
[ $# = 1 ] || usage
dist=${1%/}
[ -d "$dist" ] || { echo "verify-dist: $dist: no such folder" >&2; exit 1; }
[ -z "$ca" ] || [ -f "$ca" ] || { echo "verify-dist: CA $ca: no such file" >&2; exit 1; }
[ -z "$build" ] || [ -d "$build" ] || { echo "verify-dist: build $build: no such folder" >&2; exit 1; }
command -v osslsigncode >/dev/null || { echo "verify-dist: osslsigncode is not installed" >&2; exit 1; }
. "$(dirname "$0")/shipped-exe.sh"
if [ -n "$build" ] && [ -f "$build/setup.exe" ] && ! why=$(shipped_exe "$build/setup.exe"); then
    echo "verify-dist: $build/setup.exe is $why" >&2
    exit 1
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bad=0
finding() { echo "$1: $2"; bad=1; }
sha() { sha256sum <"$1" | cut -c1-64; }

# SHA256SUMS: every line holds (sha256sum -c), and every file has a line.
# The names are checked first: none outside the folder is read.
declare -A listed=()
if [ ! -f "$dist/SHA256SUMS" ]; then
    finding SHA256SUMS "missing: nothing in the folder can be checked against it"
else
    : >"$tmp/sums"
    while IFS= read -r line; do
        if [[ ! $line =~ ^[0-9a-f]{64}\ [\ *](.+)$ ]]; then
            finding SHA256SUMS "a line that is not '<SHA-256>  <file>': $line"
            continue
        fi
        name=${BASH_REMATCH[1]}
        listed[$name]=1
        if [[ $name == /* || /$name/ == */../* ]]; then
            finding "$name" "named in SHA256SUMS, outside the release folder"
        else
            printf '%s\n' "$line" >>"$tmp/sums"
        fi
    done <"$dist/SHA256SUMS"
    while IFS= read -r result; do
        case $result in
        *': FAILED open or read') finding "${result%: FAILED open or read}" "named in SHA256SUMS, missing from the folder" ;;
        *': FAILED') finding "${result%: FAILED}" "does not match its SHA-256 in SHA256SUMS: changed after the release was made" ;;
        esac
    done < <(cd "$dist" && sha256sum -c "$tmp/sums" 2>/dev/null)
    while IFS= read -r -d '' name; do
        [ -n "${listed[$name]:-}" ] || finding "$name" "not in SHA256SUMS: added after the release was made"
    done < <(cd "$dist" && find . -type f ! -path ./SHA256SUMS -printf '%P\0')
fi

# What BUILDINFO says of the signature, and each program's unsigned SHA-256.
info=$dist/BUILDINFO
signer="" leaf=""
declare -A unsigned=()
if [ -f "$info" ]; then
    signer=$(sed -n 's/^signed by: \(.*\) (Authenticode, SHA-256)$/\1/p' "$info")
    leaf=$(sed -n 's/^signing certificate SHA-256: \([0-9a-f]\{64\}\)$/\1/p' "$info")
    while IFS= read -r line; do
        [[ $line =~ ^\ \ ([0-9a-f]{64})\ \ ([^/]+\.exe)$ ]] && unsigned[${BASH_REMATCH[2]}]=${BASH_REMATCH[1]}
    done <"$info"
else
    finding BUILDINFO "missing: what was built and signed is unknown"
fi
[ -z "$signer" ] || [ -n "$leaf" ] || finding BUILDINFO "names a signer but not the SHA-256 of its certificate"

# Timestamps come from a public timestamp authority even when the code is
# signed under a private CA: those are checked against both.
tsa=$tmp/tsa-roots.pem
cat ${ca:+"$ca"} /etc/ssl/certs/ca-certificates.crt >"$tsa" 2>/dev/null
against=${ca:-"the system's trusted roots"}

check() { # <program> [osslsigncode option]: its signature, into $tmp/log
    osslsigncode verify -in "$1" ${ca:+-CAfile "$ca"} -TSA-CAfile "$tsa" \
        ${leaf:+-require-leaf-hash "sha256:$leaf"} "${@:2}" </dev/null >"$tmp/log" 2>&1
}

programs=$( (cd "$dist" && find . -maxdepth 1 -name '*.exe' -printf '%P\n'; printf '%s\n' "${!unsigned[@]}") |
    LC_ALL=C sort -u)
while IFS= read -r name; do
    [ -n "$name" ] || continue
    f=$dist/$name
    if [ ! -f "$f" ]; then
        [ -n "${listed[$name]:-}" ] || finding "$name" "missing from the folder, though BUILDINFO lists it"
        continue
    fi
    if ! why=$(shipped_exe "$f"); then
        finding "$name" "$why"
        continue
    fi
    bytes=$f what=""
    if osslsigncode extract-signature -in "$f" -out "$tmp/sig" >/dev/null 2>&1; then
        rm -f "$tmp/sig"
        check "$f"
        rc=$?
        # Newer osslsigncode fetches the revocation list the certificate
        # names, and fails when it cannot: checked without it, that is a
        # finding of its own rather than a bad signature.
        crl=$(sed -n 's/^Fail*d to get CRL from *//p' "$tmp/log" | head -n 1)
        if [ "$rc" != 0 ] && [ -n "$crl" ] && check "$f" -ignore-crl; then
            rc=0
            finding "$name" "revocation not checked: the certificate authority's list $crl could not be fetched (offline?)"
        fi
        if grep -q 'Calculated message digest.*MISMATCH' "$tmp/log"; then
            finding "$name" "signature not valid: the file was changed after it was signed"
        elif grep -q 'Leaf hash match: failed' "$tmp/log"; then
            finding "$name" "signed with another certificate than the one BUILDINFO names ($signer)"
        elif [ "$rc" != 0 ]; then
            reason=$(sed -n 's/.*Verify error: *//p; s/.*[^ ]Error: *//p' "$tmp/log" | head -n 1)
            finding "$name" "signature not valid against $against: ${reason:-osslsigncode verify failed}"
        fi
        digest=$(sed -n 's/^Message digest algorithm *: *//p' "$tmp/log" | head -n 1)
        [ "$digest" = SHA256 ] || finding "$name" "signed with a ${digest:-unknown} digest, not SHA-256"
        stamp=$(sed -n 's/^.*\(Timestamp time\|The signature is timestamped\): *//p' "$tmp/log" | head -n 1)
        by=${signer:-$(sed -n '/^Signer.s certificate/,/Subject:/s/^[[:space:]]*Subject: *//p' "$tmp/log" | head -n 1)}
        [ "$rc" != 0 ] || what="signed by $by, ${digest/SHA256/SHA-256}, ${stamp:+timestamped $stamp}${stamp:-no timestamp}, valid against $against; "
        rm -f "$tmp/unsigned.exe"
        if ! osslsigncode remove-signature -in "$f" -out "$tmp/unsigned.exe" >/dev/null 2>&1; then
            finding "$name" "its signature cannot be removed to compare it with the build"
            continue
        fi
        bytes=$tmp/unsigned.exe
        what="${what}without its signature "
    elif [ -n "$signer" ] || [ -n "$ca" ]; then
        finding "$name" "not signed${signer:+, though BUILDINFO says it was signed by $signer}"
    else
        what="not signed; "
    fi
    if [ -n "$build" ] && [ -f "$build/$name" ]; then
        if cmp -s "$bytes" "$build/$name"; then
            what="${what}the same bytes as $build/$name"
        else
            finding "$name" "${what}not the same bytes as $build/$name"
            continue
        fi
    elif [ -n "${unsigned[$name]:-}" ]; then
        if [ "$(sha "$bytes")" = "${unsigned[$name]}" ]; then
            what="${what}the build's bytes BUILDINFO names"
        else
            finding "$name" "${what}not the build's bytes BUILDINFO names"
            continue
        fi
    elif [ "$bytes" != "$f" ]; then
        finding "$name" "signed, but BUILDINFO lists no SHA-256 of it without its signature"
        continue
    else
        what="${what}no build to compare with"
    fi
    echo "$name: $what"
done <<<"$programs"

if [ "$bad" = 0 ]; then
    echo "verify-dist: $dist: all holds"
else
    echo "verify-dist: $dist: NOT as made: see the lines above"
fi
exit "$bad"
