#!/usr/bin/env bash
# Signs programs in place with the maker's Authenticode certificate (SHA-256
# digest), then prints the lines BUILDINFO adds: the signer and, per file, the
# SHA-256 of the file without its signature, which is the unsigned build.
# The key comes from the environment:
#   SIGN_PKCS12=<file.p12|.pfx>  or  SIGN_CERT=<cert.pem> SIGN_KEY=<key.pem>
#   SIGN_PASS_FILE=<file>   the password of the key, on the file's first line
#   SIGN_TIMESTAMP=<url>    an RFC 3161 timestamp server
#   SIGN_TIMESTAMP_WAIT=<s> how long to wait for its answer (30 seconds)
# The key, its certificate and the password are all checked before the first
# file is signed. On any failure a message names the cause and the file or
# server, the exit status is 1, and the files may be half signed: make-dist.sh
# signs copies in a folder it throws away then.
#   tools/sign.sh <file.exe>...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 <file.exe>..." >&2; exit 2; }
die() { echo "sign: $*" >&2; exit 1; }
command -v osslsigncode >/dev/null || die "osslsigncode is not installed (tools/install-deps.sh installs it)"
# A timestamp server that takes the connection and never answers would hold
# osslsigncode for good: after this long it counts as failed.
ts_seconds=${SIGN_TIMESTAMP_WAIT:-30}
[[ $ts_seconds =~ ^[1-9][0-9]*$ ]] || die "SIGN_TIMESTAMP_WAIT: $ts_seconds is not a number of seconds"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

readable() { # <variable name> <file>
    [ -f "$2" ] || die "$1: $2: no such file"
    [ -r "$2" ] || die "$1: $2: cannot be read (permissions)"
}

# A key or password file in the working tree is one "git add" away from
# being published with the sources.
repo=$(cd "$(dirname "$0")/.." && pwd)
for var in SIGN_PKCS12 SIGN_KEY SIGN_PASS_FILE; do
    file=${!var:-}
    [ -f "$file" ] || continue
    if git -C "$repo" ls-files --error-unmatch -- "$(realpath "$file")" >/dev/null 2>&1; then
        die "$var: $file is in the git repository: keep keys and passwords outside it (and have the certificate revoked if it was pushed)"
    fi
    [ -z "$(git -C "$repo" status --porcelain -- "$(realpath "$file")" 2>/dev/null)" ] ||
        echo "sign: warning: $var: $file lies in the working tree, where git would take it in: keep it outside" >&2
done

# The password is read here and handed to openssl and osslsigncode through a
# pipe on descriptor 3, never on a command line, where ps would show it.
pass=""
if [ -n "${SIGN_PASS_FILE:-}" ]; then
    readable SIGN_PASS_FILE "$SIGN_PASS_FILE"
    IFS= read -r pass <"$SIGN_PASS_FILE" || true
    pass=${pass%$'\r'}
    [ -n "$pass" ] || die "SIGN_PASS_FILE: $SIGN_PASS_FILE has no password on its first line"
fi
with_pass() { "$@" 3< <(printf '%s\n' "$pass"); }
# What openssl said, without its error codes: the last reason it gives.
why() { sed -n 's/^[0-9A-F]*:error:[0-9A-F]*:[^:]*:[^:]*:\([^:]*\):.*/\1/p' "$tmp/err" | tail -n 1; }

certs=$tmp/certs.pem
if [ -n "${SIGN_PKCS12:-}" ]; then
    [ -z "${SIGN_CERT:-}${SIGN_KEY:-}" ] || die "give SIGN_PKCS12, or SIGN_CERT and SIGN_KEY, not both"
    readable SIGN_PKCS12 "$SIGN_PKCS12"
    certsrc=$SIGN_PKCS12 keysrc=$SIGN_PKCS12
    # Files exported by older Windows use algorithms OpenSSL 3 keeps in its
    # legacy provider; osslsigncode loads it by itself.
    legacy=()
    p12() { with_pass openssl pkcs12 -in "$SIGN_PKCS12" -passin fd:3 "${legacy[@]}" "$@"; }
    if ! p12 -nokeys -out "$certs" 2>"$tmp/err"; then
        if grep -q -i unsupported "$tmp/err"; then legacy=(-legacy); fi
        if [ ${#legacy[@]} = 0 ] || ! p12 -nokeys -out "$certs" 2>"$tmp/err"; then
            if grep -q -i 'mac verify' "$tmp/err"; then
                [ -n "$pass" ] || die "SIGN_PKCS12: $SIGN_PKCS12 needs its password: give SIGN_PASS_FILE"
                die "SIGN_PKCS12: wrong password for $SIGN_PKCS12 (the first line of $SIGN_PASS_FILE)"
            fi
            die "SIGN_PKCS12: $SIGN_PKCS12 is not a PKCS#12 file (.p12/.pfx)"
        fi
    fi
    p12 -nocerts -nodes 2>/dev/null | openssl pkey -pubout -out "$tmp/key.pub" 2>/dev/null ||
        die "SIGN_PKCS12: $SIGN_PKCS12 holds no private key, only certificates: export it again with its key"
    key=(-pkcs12 "$SIGN_PKCS12")
elif [ -n "${SIGN_CERT:-}${SIGN_KEY:-}" ]; then
    [ -n "${SIGN_CERT:-}" ] || die "SIGN_KEY needs SIGN_CERT, the certificate that goes with the key"
    [ -n "${SIGN_KEY:-}" ] || die "SIGN_CERT needs SIGN_KEY, the private key of the certificate"
    readable SIGN_CERT "$SIGN_CERT"
    readable SIGN_KEY "$SIGN_KEY"
    certsrc=$SIGN_CERT keysrc=$SIGN_KEY
    grep -q -e '-----BEGIN CERTIFICATE-----' "$SIGN_CERT" ||
        die "SIGN_CERT: $SIGN_CERT holds no PEM certificate (-----BEGIN CERTIFICATE-----); a DER .cer converts with: openssl x509 -inform DER -in <file.cer> -out <file.pem>; a .p12/.pfx goes in SIGN_PKCS12"
    grep -q -e '-----BEGIN .*PRIVATE KEY-----' "$SIGN_KEY" ||
        die "SIGN_KEY: $SIGN_KEY holds no PEM private key (-----BEGIN ... PRIVATE KEY-----); a DER key converts with: openssl pkey -inform DER -in <key.der> -out <key.pem>"
    if ! with_pass openssl pkey -in "$SIGN_KEY" -passin fd:3 -pubout -out "$tmp/key.pub" 2>"$tmp/err"; then
        if grep -q -e 'ENCRYPTED' "$SIGN_KEY"; then
            [ -n "$pass" ] || die "SIGN_KEY: $SIGN_KEY is protected by a password: give SIGN_PASS_FILE"
            die "SIGN_KEY: wrong password for $SIGN_KEY (the first line of $SIGN_PASS_FILE)"
        fi
        die "SIGN_KEY: $SIGN_KEY cannot be read as a private key: $(why)"
    fi
    sed -n '/-----BEGIN CERTIFICATE-----/,/-----END CERTIFICATE-----/p' "$SIGN_CERT" >"$certs"
    key=(-certs "$certs" -key "$SIGN_KEY")
else
    die "no key: give SIGN_PKCS12=<file.p12>, or SIGN_CERT=<cert.pem> and SIGN_KEY=<key.pem>"
fi

# The certificate for the key signs; the others given with it must be its
# CA chain. Anything else leaves it unclear what the customer would see.
awk -v d="$tmp" '/-----BEGIN CERTIFICATE-----/ { n++; on = 1 }
    on { print > (d "/cert-" n ".pem") }
    /-----END CERTIFICATE-----/ { on = 0; close(d "/cert-" n ".pem") }' "$certs"
subject() { openssl x509 -in "$1" -noout -subject -nameopt RFC2253,-esc_msb | sed 's/^subject=//'; }
signer="" mine=0 others=""
for c in "$tmp"/cert-*.pem; do
    [ -f "$c" ] || die "$certsrc holds no certificate"
    openssl x509 -in "$c" -noout 2>/dev/null || die "$certsrc: a certificate in it cannot be read"
    if [ "$(openssl x509 -in "$c" -noout -pubkey)" = "$(cat "$tmp/key.pub")" ]; then
        signer=$c mine=$((mine + 1))
    elif ! openssl x509 -in "$c" -noout -ext basicConstraints 2>/dev/null | grep -q 'CA:TRUE'; then
        others="$others${others:+; }$(subject "$c")"
    fi
done
[ "$mine" != 0 ] || die "no certificate in $certsrc is for the key in $keysrc"
[ "$mine" = 1 ] || die "$certsrc holds $mine certificates for its key: keep only the one to sign with"
[ -z "$others" ] ||
    die "$certsrc holds certificates for other keys besides the signing one ($others): keep only the code-signing certificate and its CA chain"
who=$(subject "$signer")
usage=$(openssl x509 -in "$signer" -noout -ext extendedKeyUsage 2>/dev/null | sed -n '2,$s/^ *//p')
case ", $usage," in
    *", Code Signing,"*) ;;
    *) die "$certsrc: the certificate of $who is not for code signing (extended key usage: ${usage:-none}); code signing needs one issued for Code Signing" ;;
esac
if openssl x509 -in "$signer" -noout -ext keyUsage 2>/dev/null | grep -q 'Usage' &&
    ! openssl x509 -in "$signer" -noout -ext keyUsage | grep -q 'Digital Signature'; then
    die "$certsrc: the certificate of $who may not make digital signatures (its key usage)"
fi
openssl x509 -in "$signer" -noout -checkend 0 >/dev/null ||
    die "$certsrc: the certificate of $who expired on $(openssl x509 -in "$signer" -noout -enddate | cut -d= -f2)"
from=$(openssl x509 -in "$signer" -noout -startdate | cut -d= -f2)
[ "$(date -u -d "$from" +%s)" -le "$(date -u +%s)" ] || die "$certsrc: the certificate of $who is not valid before $from"
fingerprint=$(openssl x509 -in "$signer" -outform DER | sha256sum | cut -c1-64)

pw=()
[ -z "$pass" ] || pw=(-readpass /dev/fd/3)
sums=""
for f in "$@"; do
    name=${f##*/} out=$tmp/signed.exe
    rm -f "$out" "$out.ts" "$tmp/unsigned.exe"
    with_pass osslsigncode sign "${key[@]}" "${pw[@]}" -h sha256 -in "$f" -out "$out" </dev/null >"$tmp/err" 2>&1 ||
        die "$name: signing with $keysrc failed: $(grep -v -e '^Succeeded' -e '^Failed' "$tmp/err" | head -n 1)"
    if [ -n "${SIGN_TIMESTAMP:-}" ]; then
        rc=0
        timeout "$ts_seconds" osslsigncode add -ts "$SIGN_TIMESTAMP" -h sha256 -in "$out" -out "$out.ts" \
            </dev/null >"$tmp/err" 2>&1 || rc=$?
        [ "$rc" != 124 ] || die "$name: the timestamp server $SIGN_TIMESTAMP did not answer within $ts_seconds seconds"
        if [ "$rc" != 0 ] || [ ! -s "$out.ts" ]; then
            die "$name: the timestamp server $SIGN_TIMESTAMP gave no timestamp: $(grep -i -m 1 -e 'failure' -e 'error' "$tmp/err" || echo "osslsigncode exit status $rc")"
        fi
        mv "$out.ts" "$out"
    fi
    # The signature must be all that changed: removed, it gives back the build.
    if ! osslsigncode remove-signature -in "$out" -out "$tmp/unsigned.exe" >/dev/null 2>&1 ||
        ! cmp -s "$tmp/unsigned.exe" "$f"; then
        die "$name: without its signature the file is not the build's bytes (osslsigncode changed more than the signature)"
    fi
    sums="$sums  $(sha256sum <"$f" | cut -c1-64)  $name"$'\n'
    cp "$out" "$f"
done

echo "signed by: $who (Authenticode, SHA-256)"
echo "signing certificate SHA-256: $fingerprint"
echo "timestamp: ${SIGN_TIMESTAMP:-none}"
echo "without the signature (SHA-256 of the build's bytes):"
printf '%s' "$sums"
