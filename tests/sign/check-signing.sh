#!/usr/bin/env bash
# Signed releases, with no network: a throwaway CA, code-signing certificate
# and timestamp authority made with openssl in a folder whose name has spaces.
# A release signed from a PKCS#12 file (timestamped by a local server) and one
# from a PEM pair pass tools/verify-dist.sh, and without their signatures are
# the build's bytes; a changed byte or an added file is caught and named; bad
# keys, wrong passwords and timestamp servers that fail stop make-dist.sh with
# a message naming the cause, and leave no release behind.
#   tests/sign/check-signing.sh <windows build dir> <work dir>
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: $0 <windows build dir> <work dir>" >&2; exit 2; }
repo=$(cd "$(dirname "$0")/../.." && pwd)
win=$(cd "$1" && pwd)
work=$(realpath -m "$2")
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$work"
keys="$work/keys and certs"
out="$work/release out"
mkdir -p "$keys" "$out"
cd "$keys"

# --- The throwaway CA and what it issues ---
cat >ext.cnf <<'EOF'
[req]
distinguished_name = dn
[dn]
[ca_ext]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
[codesign]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = codeSigning
[tls]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = serverAuth
[tsa]
basicConstraints = CA:FALSE
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
EOF
ssl() { openssl "$@" 2>/dev/null || fail "openssl $1 failed"; }
ssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem -days 30 -subj "/CN=Throwaway Test Root" \
    -config ext.cnf -extensions ca_ext
serial=100
issue() { # <name> <extensions> <subject>
    serial=$((serial + 1))
    ssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.csr" -subj "$3" -utf8 -config ext.cnf
    ssl x509 -req -in "$1.csr" -CA ca.pem -CAkey ca.key -set_serial "$serial" -days 30 \
        -extfile ext.cnf -extensions "$2" -out "$1.pem"
}
issue signer codesign "/O=แสงดาว Test Maker/CN=Mirabo Test Signer"
issue web tls "/CN=www.example.test"
issue tsa tsa "/CN=Throwaway Test TSA"
# A code-signing certificate that expired long ago: only "openssl ca" sets dates.
mkdir ca-db && : >ca-db/index.txt && echo 1000 >ca-db/serial
cat >ca-db/ca.cnf <<EOF
[ca]
default_ca = throwaway
[throwaway]
database = $keys/ca-db/index.txt
new_certs_dir = $keys/ca-db
serial = $keys/ca-db/serial
default_md = sha256
policy = any
[any]
commonName = supplied
EOF
ssl req -newkey rsa:2048 -nodes -keyout old.key -out old.csr -subj "/CN=Expired Test Signer" -config ext.cnf
ssl ca -batch -config ca-db/ca.cnf -cert ca.pem -keyfile ca.key -in old.csr -out old.pem -notext \
    -startdate 20200101000000Z -enddate 20200201000000Z -extfile ext.cnf -extensions codesign

password='s3cret with spaces'
printf '%s\r\nnot the password\n' "$password" >"pass file.txt"   # CR LF: the first line only
echo wrong >wrong.txt
cat signer.pem ca.pem >chain.pem
locked() { ssl "$@" -passout fd:3 3<<<"$password"; }
locked pkcs12 -export -inkey signer.key -in chain.pem -out "signer key.p12"
locked pkey -in signer.key -aes256 -out "signer encrypted.key"
ssl pkey -in signer.key -outform DER -out signer.der
locked pkcs12 -export -nokeys -in signer.pem -out nokey.p12
cat signer.pem web.pem >two.pem
locked pkcs12 -export -inkey signer.key -in two.pem -out two.p12
locked pkcs12 -export -inkey old.key -in old.pem -out old.p12
# As older Windows exports it: RC2 and 3DES, which OpenSSL 3 keeps apart.
locked pkcs12 -export -legacy -inkey signer.key -in chain.pem -out legacy.p12

# --- A local RFC 3161 timestamp authority ---
echo 01 >tsaserial
cat >ts.cnf <<EOF
[tsa]
default_tsa = local
[local]
serial = $keys/tsaserial
crypto_device = builtin
signer_cert = $keys/tsa.pem
certs = $keys/ca.pem
signer_key = $keys/tsa.key
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256
accuracy = secs:1
ess_cert_id_alg = sha256
EOF
coproc tsa { exec python3 "$repo/tests/sign/tsa-server.py" "$keys/ts.cnf"; }
# shellcheck disable=SC2154 # tsa_PID is set by coproc
tsa_pid=$tsa_PID
trap 'kill "$tsa_pid" 2>/dev/null || true' EXIT
read -r -u "${tsa[0]}" tsa_port closed_port || fail "the local timestamp server did not start"
tsa_url=http://127.0.0.1:$tsa_port

# The password must reach openssl and osslsigncode by no command line: both
# run through wrappers that log their arguments.
shims=$work/shims
mkdir -p "$shims"
for tool in openssl osslsigncode; do
    real=$(command -v "$tool")
    printf '#!/bin/sh\nprintf "%%s\\n" "$*" >>"%s/argv.log"\nexec "%s" "$@"\n' "$work" "$real" >"$shims/$tool"
    chmod +x "$shims/$tool"
done

dist() { PATH="$shims:$PATH" "$repo/tools/make-dist.sh" "$win" "$out"; }
release=$(sed -n 's/^ *VALUE "FileVersion", *"\([0-9.]*\)".*/mirabo-setup-\1/p' "$repo/res/setup.rc")
folder=$out/$release
verify() { "$repo/tools/verify-dist.sh" "$@"; }

# --- Signed from the PKCS#12 file, timestamped ---
SIGN_PKCS12="$keys/signer key.p12" SIGN_PASS_FILE="$keys/pass file.txt" \
    SIGN_TIMESTAMP="$tsa_url/" dist >/dev/null || fail "signed dist from PKCS#12"
grep -q -F "$password" "$work/argv.log" && fail "the password appeared on a command line: $(grep -F "$password" "$work/argv.log" | head -n 1)"
grep -q -e '-readpass' "$work/argv.log" || fail "osslsigncode never ran with the password (argv log: $(wc -l <"$work/argv.log") lines)"
grep -q '^signed by: CN=Mirabo Test Signer,O=แสงดาว Test Maker (Authenticode, SHA-256)$' "$folder/BUILDINFO" ||
    fail "BUILDINFO lacks the signer: $(cat "$folder/BUILDINFO")"
for exe in setup.exe check-package.exe; do
    grep -q "^  $(sha256sum <"$win/$exe" | cut -c1-64)  $exe\$" "$folder/BUILDINFO" ||
        fail "BUILDINFO lacks the build's SHA-256 of $exe"
    cmp -s "$folder/$exe" "$win/$exe" && fail "$exe in the release is not signed"
    osslsigncode remove-signature -in "$folder/$exe" -out "$work/$exe" >/dev/null
    cmp "$work/$exe" "$win/$exe" || fail "$exe without its signature is not the build's bytes"
    grep -q "^$(sha256sum <"$folder/$exe" | cut -c1-64)  $exe\$" "$folder/SHA256SUMS" ||
        fail "SHA256SUMS does not list the signed $exe"
done
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$folder.zip" "$work/unzipped"
diff -r "$folder" "$work/unzipped/$release" || fail "the zip does not hold the signed folder"
verify --ca "$keys/ca.pem" --build "$win" "$folder" >"$work/verify.log" || fail "verify-dist on the PKCS#12 release: $(cat "$work/verify.log")"
[ "$(grep -c 'signed by CN=Mirabo Test Signer,O=แสงดาว Test Maker, SHA-256, timestamped .*, valid against .*; without its signature the same bytes as' "$work/verify.log")" = 2 ] ||
    fail "verify-dist did not report both programs signed, timestamped and the build: $(cat "$work/verify.log")"

# --- A changed byte, an added file, another CA ---
cp -r "$folder" "$work/edited"
python3 - "$work/edited/setup.exe" <<'PY'
import sys
with open(sys.argv[1], "r+b") as f:
    f.seek(0x1000)
    byte = f.read(1)
    f.seek(0x1000)
    f.write(bytes([byte[0] ^ 1]))
PY
echo "read me" >"$work/edited/NOTES.txt"
verify --ca "$keys/ca.pem" "$work/edited" >"$work/verify.log" && fail "verify-dist passed a changed setup.exe"
for line in '^setup.exe: does not match its SHA-256 in SHA256SUMS' '^NOTES.txt: not in SHA256SUMS' \
    '^setup.exe: signature not valid: the file was changed after it was signed'; do
    grep -q "$line" "$work/verify.log" || fail "verify-dist did not say $line: $(cat "$work/verify.log")"
done
grep -q '^check-package.exe: signed by' "$work/verify.log" || fail "verify-dist blamed check-package.exe: $(cat "$work/verify.log")"
# The sums made again by hand do not hide the change: the signature does not hold.
(cd "$work/edited" && rm NOTES.txt && sha256sum setup.exe check-package.exe >sums &&
    grep -v -e ' setup.exe$' -e ' check-package.exe$' SHA256SUMS >>sums && mv sums SHA256SUMS)
verify --ca "$keys/ca.pem" "$work/edited" >"$work/verify.log" && fail "verify-dist passed a changed setup.exe with new sums"
grep -q '^setup.exe: signature not valid: the file was changed after it was signed' "$work/verify.log" ||
    fail "the changed setup.exe with new sums was not named: $(cat "$work/verify.log")"
# Against the system's roots the throwaway CA is unknown.
verify "$folder" >"$work/verify.log" && fail "verify-dist trusted the throwaway CA without being given it"
grep -q '^setup.exe: signature not valid against the system.s trusted roots' "$work/verify.log" ||
    fail "the untrusted signature was not named: $(cat "$work/verify.log")"

# --- Signed from the PEM pair, the key protected by the password ---
SIGN_CERT="$keys/chain.pem" SIGN_KEY="$keys/signer encrypted.key" SIGN_PASS_FILE="$keys/pass file.txt" \
    dist >/dev/null || fail "signed dist from the PEM pair"
grep -q -F "$password" "$work/argv.log" && fail "the password appeared on a command line"
rm -rf "$work/shims" "$work/argv.log"
verify --ca "$keys/ca.pem" --build "$win" "$folder" >"$work/verify.log" || fail "verify-dist on the PEM release: $(cat "$work/verify.log")"
grep -q '^setup.exe: signed by CN=Mirabo Test Signer,O=แสงดาว Test Maker, SHA-256, no timestamp' "$work/verify.log" ||
    fail "verify-dist on the PEM release: $(cat "$work/verify.log")"

# --- A certificate whose revocation list cannot be fetched ---
ssl x509 -req -in signer.csr -CA ca.pem -CAkey ca.key -set_serial 200 -days 30 -out "$keys/revocable.pem" \
    -extfile <(printf '[crl]\nextendedKeyUsage = codeSigning\ncrlDistributionPoints = URI:http://127.0.0.1:%s/ca.crl\n' "$closed_port") \
    -extensions crl
SIGN_CERT="$keys/revocable.pem" SIGN_KEY="$keys/signer.key" dist >/dev/null || fail "signed dist with a revocation list"
if [[ $(osslsigncode verify --help 2>&1) == *-ignore-crl* ]]; then
    # This osslsigncode fetches the list: verify-dist says it could not.
    verify --ca "$keys/ca.pem" "$folder" >"$work/verify.log" && fail "verify-dist passed an unchecked revocation"
    grep -q "^setup.exe: revocation not checked: the certificate authority's list http://127.0.0.1:$closed_port/ca.crl could not be fetched" \
        "$work/verify.log" || fail "the unchecked revocation was not named: $(cat "$work/verify.log")"
    grep -q '^setup.exe: signed by' "$work/verify.log" || fail "the revocable signature was not otherwise valid: $(cat "$work/verify.log")"
else
    verify --ca "$keys/ca.pem" "$folder" >"$work/verify.log" || fail "verify-dist, revocation list: $(cat "$work/verify.log")"
fi

# --- Failures: each stops within a minute, names the cause and leaves no release ---
refused() { # <what the message must hold> <VAR=value>...
    local want=$1 start=$SECONDS
    shift
    if env -u SIGN_PKCS12 -u SIGN_CERT -u SIGN_KEY -u SIGN_PASS_FILE -u SIGN_TIMESTAMP -u SIGN_TIMESTAMP_WAIT "$@" \
        "$repo/tools/make-dist.sh" "$win" "$out" >"$work/out.log" 2>"$work/err.log"; then
        fail "make-dist signed with $*"
    fi
    grep -q -e "$want" "$work/err.log" || fail "with $*: the message does not say '$want': $(cat "$work/err.log")"
    [ -z "$(ls -A "$out")" ] || fail "with $*: left $(ls -A "$out")"
    [ $((SECONDS - start)) -lt 60 ] || fail "with $*: took $((SECONDS - start)) s"
}
refused "wrong password for $keys/signer key.p12" SIGN_PKCS12="$keys/signer key.p12" SIGN_PASS_FILE="$keys/wrong.txt"
refused "wrong password for $keys/signer encrypted.key" \
    SIGN_CERT="$keys/chain.pem" SIGN_KEY="$keys/signer encrypted.key" SIGN_PASS_FILE="$keys/wrong.txt"
refused "timestamp server http://127.0.0.1:$closed_port/ gave no timestamp" SIGN_PKCS12="$keys/signer key.p12" \
    SIGN_PASS_FILE="$keys/pass file.txt" SIGN_TIMESTAMP="http://127.0.0.1:$closed_port/"
refused "$keys/missing.p12: no such file" SIGN_PKCS12="$keys/missing.p12"
refused "the certificate of CN=www.example.test is not for code signing" SIGN_CERT="$keys/web.pem" SIGN_KEY="$keys/web.key"
refused "the certificate of CN=Expired Test Signer expired on" SIGN_PKCS12="$keys/old.p12" SIGN_PASS_FILE="$keys/pass file.txt"
refused "nokey.p12 holds no private key" SIGN_PKCS12="$keys/nokey.p12" SIGN_PASS_FILE="$keys/pass file.txt"
refused "two.p12 holds certificates for other keys besides the signing one (CN=www.example.test)" \
    SIGN_PKCS12="$keys/two.p12" SIGN_PASS_FILE="$keys/pass file.txt"
refused "signer.der holds no PEM private key" SIGN_CERT="$keys/signer.pem" SIGN_KEY="$keys/signer.der"
refused "chain.pem is not a PKCS#12 file" SIGN_PKCS12="$keys/chain.pem"
refused "no certificate in $keys/web.pem is for the key in $keys/signer.key" SIGN_CERT="$keys/web.pem" SIGN_KEY="$keys/signer.key"
refused "timestamp server $tsa_url/refuse gave no timestamp" SIGN_PKCS12="$keys/signer key.p12" \
    SIGN_PASS_FILE="$keys/pass file.txt" SIGN_TIMESTAMP="$tsa_url/refuse"
# A server that never answers is given up after SIGN_TIMESTAMP_WAIT (30 s unless set).
refused "timestamp server $tsa_url/silent did not answer within 3 seconds" SIGN_PKCS12="$keys/signer key.p12" \
    SIGN_PASS_FILE="$keys/pass file.txt" SIGN_TIMESTAMP="$tsa_url/silent" SIGN_TIMESTAMP_WAIT=3
refused "no key" SIGN_TIMESTAMP="$tsa_url/"

# --- A key committed to git is refused; a password file git would take in is warned of ---
sources=$work/sources
mkdir -p "$sources/tools"
cp "$repo/tools/sign.sh" "$sources/tools/"
cp "$keys/signer key.p12" "$keys/pass file.txt" "$sources/"
git -C "$sources" init -q
git -C "$sources" add "signer key.p12"
git -C "$sources" -c user.name=test -c user.email=test@example.test commit -q -m key
cp "$win/setup.exe" "$work/setup.exe"
SIGN_PKCS12="$sources/signer key.p12" SIGN_PASS_FILE="$keys/pass file.txt" \
    "$sources/tools/sign.sh" "$work/setup.exe" >/dev/null 2>"$work/err.log" && fail "signed with a key committed to git"
grep -q "SIGN_PKCS12: $sources/signer key.p12 is in the git repository" "$work/err.log" ||
    fail "a key in git: $(cat "$work/err.log")"
cmp -s "$work/setup.exe" "$win/setup.exe" || fail "a refused key still signed setup.exe"
SIGN_PKCS12="$keys/signer key.p12" SIGN_PASS_FILE="$sources/pass file.txt" \
    "$sources/tools/sign.sh" "$work/setup.exe" >/dev/null 2>"$work/err.log" || fail "a password file in the tree: $(cat "$work/err.log")"
grep -q "warning: SIGN_PASS_FILE: $sources/pass file.txt lies in the working tree" "$work/err.log" ||
    fail "no warning for a password file in the tree: $(cat "$work/err.log")"

# --- A PKCS#12 file in the legacy format signs too ---
cp "$win/setup.exe" "$work/setup.exe"
SIGN_PKCS12="$keys/legacy.p12" SIGN_PASS_FILE="$keys/pass file.txt" "$repo/tools/sign.sh" "$work/setup.exe" \
    >/dev/null 2>"$work/err.log" || fail "legacy PKCS#12: $(cat "$work/err.log")"
osslsigncode verify -CAfile "$keys/ca.pem" -in "$work/setup.exe" >/dev/null || fail "legacy PKCS#12: not validly signed"

# --- Unsigned, as without a key ---
(env -u SIGN_PKCS12 -u SIGN_CERT -u SIGN_KEY -u SIGN_PASS_FILE -u SIGN_TIMESTAMP \
    "$repo/tools/make-dist.sh" "$win" "$out" >/dev/null) || fail "unsigned dist"
verify --build "$win" "$folder" >"$work/verify.log" || fail "verify-dist on the unsigned release: $(cat "$work/verify.log")"
grep -q '^setup.exe: not signed; the same bytes as' "$work/verify.log" || fail "unsigned release: $(cat "$work/verify.log")"
grep -q '^signed by' "$folder/BUILDINFO" && fail "the unsigned release's BUILDINFO names a signer"

echo "signing: PKCS#12 (timestamped) and PEM releases verified and the build's bytes unsigned; changes named; 14 bad inputs refused cleanly; legacy PKCS#12 signs; a key in git refused"
cd / && rm -rf "$work"
