#!/usr/bin/env bash
# Signs Corvalin-Setup.exe through the build's signing options with a
# throw-away certificate authority and code-signing certificate, then checks:
# the signature verifies against that authority (and not against another
# one); one byte changed after signing breaks it; the password is nowhere in
# the build folder; the signed file is the unsigned build plus a signature;
# signing is repeatable; and the signed setup still installs under Wine.
#   check-signing.sh <work folder> <win64 build folder to sign in> [reference build folder, default build/win64]
# The build folder to sign in must be a copy of the win64 build of this tree
# (check-reproducible.sh leaves one), so only the link and the signing run.
# The reference build provides the unsigned setup and the end-to-end test program.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
work=$1
build=$(cd "$2" && pwd)
reference_build=$(cd "${3:-$root/build/win64}" && pwd)
python=/usr/bin/python3
started=$(date +%s)
# The signing time: the builder's SOURCE_DATE_EPOCH or the last commit's time
# (the build folder may be a copy without the repository).
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)}
fail() { echo "check-signing: FAILED: $*" >&2; exit 1; }

# --- a throw-away authority, a code-signing certificate it issued, a PKCS#12 file
keys=$work/keys
rm -rf "$keys"
mkdir -p "$keys"
make_ca() {  # <name> <common name>
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$keys/$1.key" -out "$keys/$1.crt" -days 2 \
    -subj "/CN=$2" -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign,cRLSign 2>/dev/null
}
make_ca ca "Corvalin throw-away test CA"
make_ca other-ca "Corvalin unrelated test CA"
openssl req -newkey rsa:2048 -nodes -keyout "$keys/signer.key" -out "$keys/signer.csr" \
  -subj "/CN=Corvalin throw-away code signer" 2>/dev/null
printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n' >"$keys/ext.cnf"
openssl x509 -req -in "$keys/signer.csr" -CA "$keys/ca.crt" -CAkey "$keys/ca.key" -CAcreateserial \
  -out "$keys/signer.crt" -days 2 -extfile "$keys/ext.cnf" 2>/dev/null
openssl rand -hex 24 >"$keys/password"
openssl pkcs12 -export -in "$keys/signer.crt" -inkey "$keys/signer.key" -certfile "$keys/ca.crt" \
  -out "$keys/signer.p12" -passout "file:$keys/password"
password=$(cat "$keys/password")

# --- the build signs with them
cmake -DCORVALIN_SIGN_PKCS12="$keys/signer.p12" -DCORVALIN_SIGN_PASSWORD_FILE="$keys/password" "$build" >/dev/null
rm -f "$build/Corvalin-Setup.exe"  # linked (and signed) again whatever an earlier run left
cmake --build "$build" --target corvalin_setup -j "${CORVALIN_JOBS:-2}" >"$work/signing-build.log" 2>&1 ||
  { tail -n 30 "$work/signing-build.log" >&2; fail "the signing build failed"; }
grep -qF "Signed $build/Corvalin-Setup.exe" "$work/signing-build.log" || fail "the build did not sign"
signed=$build/Corvalin-Setup.exe
if grep -rqF -- "$password" "$build" 2>/dev/null; then
  fail "the PKCS#12 password appears in the build folder: $(grep -rlF -- "$password" "$build" | head -3)"
fi

# --- the signature verifies against its authority, with SHA-256, and against no other
osslsigncode verify -CAfile "$keys/ca.crt" -in "$signed" >"$work/verify.log" 2>&1 ||
  { cat "$work/verify.log" >&2; fail "the signature does not verify against its authority"; }
grep -q "Message digest algorithm  *: SHA256" "$work/verify.log" || fail "the signature's digest is not SHA-256"
if osslsigncode verify -CAfile "$keys/other-ca.crt" -in "$signed" >/dev/null 2>&1; then
  fail "the signature verifies against an unrelated authority"
fi

# --- one byte changed after signing (in the middle of the payload) breaks it
tampered=$work/tampered.exe
"$python" -c '
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[len(data) // 2] ^= 0x01
open(sys.argv[2], "wb").write(data)
' "$signed" "$tampered"
if osslsigncode verify -CAfile "$keys/ca.crt" -in "$tampered" >/dev/null 2>&1; then
  fail "a file changed after signing still verifies"
fi
# ... and so does the comparison with the rebuild, once the signature is off.
if "$python" "$here/pe-compare.py" --strip-signature "$reference_build/Corvalin-Setup.exe" "$tampered" >/dev/null; then
  fail "a file changed after signing compares equal to the rebuild"
fi
rm -f "$tampered"

# --- signed = unsigned reproducible build + signature; signing again gives the same bytes
"$python" "$here/pe-compare.py" --strip-signature "$reference_build/Corvalin-Setup.exe" "$signed" ||
  fail "the signed setup is not the unsigned build plus its signature"
again=$work/signed-again.exe
cp "$reference_build/Corvalin-Setup.exe" "$again"
cmake -DFILE="$again" -DDESCRIPTION="Corvalin Setup" -DOSSLSIGNCODE="$(command -v osslsigncode)" \
  -DPKCS12="$keys/signer.p12" -DPASSWORD_FILE="$keys/password" -DSOURCE_DIR="$root" \
  -P "$root/cmake/sign-file.cmake" >/dev/null
cmp -s "$again" "$signed" || fail "signing the same file twice gave different bytes"
# A timestamp server that cannot be reached fails the signing (nothing listens
# on the discard port here) instead of leaving a file without its timestamp.
cp "$reference_build/Corvalin-Setup.exe" "$again"
if cmake -DFILE="$again" -DDESCRIPTION="Corvalin Setup" -DOSSLSIGNCODE="$(command -v osslsigncode)" \
     -DPKCS12="$keys/signer.p12" -DPASSWORD_FILE="$keys/password" -DSOURCE_DIR="$root" \
     -DTIMESTAMP_URL=http://127.0.0.1:9/ -P "$root/cmake/sign-file.cmake" >/dev/null 2>&1; then
  fail "signing passed although the timestamp server was unreachable"
fi
[ ! -e "$again" ] || fail "a file without its timestamp was left behind"

# --- a wrong password fails the build and leaves no unsigned file behind
echo wrong >"$keys/wrong-password"
cmake -DCORVALIN_SIGN_PASSWORD_FILE="$keys/wrong-password" "$build" >/dev/null
if cmake --build "$build" --target corvalin_setup >"$work/wrong-password.log" 2>&1; then
  fail "the build passed with a wrong PKCS#12 password"
fi
[ ! -e "$signed" ] || fail "an unsigned setup was left behind after signing failed"

# --- the signed setup still installs under Wine (payload check, files, registry, links)
cmake -DCORVALIN_SIGN_PASSWORD_FILE="$keys/password" "$build" >/dev/null
cmake --build "$build" --target corvalin_setup >>"$work/signing-build.log" 2>&1 || fail "re-signing failed"
osslsigncode verify -CAfile "$keys/ca.crt" -in "$signed" >/dev/null 2>&1 || fail "the re-signed setup does not verify"
CORVALIN_E2E_SETUP=$signed "$here/e2e-scenario.sh" full "$reference_build" "Scenario.NewInstallEnglish" \
  >"$work/signed-wine.log" 2>&1 || { tail -n 40 "$work/signed-wine.log" >&2; fail "the signed setup did not install under Wine"; }

# --- back to an unsigned build folder: without the options nothing is signed
cmake -DCORVALIN_SIGN_PKCS12= -DCORVALIN_SIGN_PASSWORD_FILE= "$build" >/dev/null
cmake --build "$build" --target corvalin_setup >"$work/unsigned-build.log" 2>&1 || fail "the unsigned rebuild failed"
cmp -s "$build/Corvalin-Setup.exe" "$reference_build/Corvalin-Setup.exe" ||
  fail "without the signing options the setup differs from the unsigned build"
echo "check-signing: passed in $(($(date +%s) - started)) s"
