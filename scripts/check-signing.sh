#!/usr/bin/env bash
# Signs Uninstall.exe and Corvalin-Setup.exe through the build's signing
# options with a throw-away certificate authority and code-signing
# certificate, then checks: a wrong password fails the build and leaves no
# unsigned file; both signatures (the setup's and that of the Uninstall.exe
# packed inside it) verify against that authority and not against another
# one; one byte changed after signing breaks the setup's; the password is
# nowhere in the build folder; the packed uninstaller is the unsigned build's
# plus a signature and the other product files are the unsigned build's; the
# signed setup is what a rebuild with its own product files gives, plus a
# signature; signing is repeatable; the signed setup installs unattended
# under Wine in a fresh prefix (exit code 0) and the installed Uninstall.exe
# verifies; without the options the build is the unsigned one again.
#   check-signing.sh <work folder> <win64 build folder to sign in> [reference build folder, default build/win64]
# The build folder to sign in must be a copy of the win64 build of this tree
# (check-reproducible.sh leaves one), so only the links, the packing and the
# signing run. The reference build provides the unsigned files and the
# template of a fresh Wine prefix.
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

signed=$work/Corvalin-Setup.signed.exe  # a copy: the build's own file is rebuilt below
osslsigncode=$(command -v osslsigncode)
sign_file() {  # <file> <description> [-D...]: the build's signing step, on one file
  cmake -DFILE="$1" -DDESCRIPTION="$2" -DOSSLSIGNCODE="$osslsigncode" -DPKCS12="$keys/signer.p12" \
    -DPASSWORD_FILE="$keys/password" -DSOURCE_DIR="$root" "${@:3}" -P "$root/cmake/sign-file.cmake" >/dev/null 2>&1
}
verifies() {  # <file> <authority's certificate> [log]
  osslsigncode verify -CAfile "$2" -in "$1" >"${3:-/dev/null}" 2>&1
}
build_setup() {  # <log> <what>: builds the setup in the build folder to sign in
  cmake --build "$build" --target corvalin_setup -j "${CORVALIN_JOBS:-2}" >"$1" 2>&1 ||
    { tail -n 30 "$1" >&2; fail "$2 failed"; }
}

# The reference build's product files: the unsigned Uninstall.exe among them,
# unless a maker's folder brings its own (which the build packs as it is).
payload_dir=$(sed -n 's/^CORVALIN_PAYLOAD_DIR:[A-Z]*=//p' "$reference_build/CMakeCache.txt" 2>/dev/null || true)
own_uninstaller=yes
[ -n "$payload_dir" ] && [ -e "$payload_dir/Uninstall.exe" ] && own_uninstaller=no
unsigned_payload=$work/unsigned-payload
rm -rf "$unsigned_payload"
"$python" "$here/payload-extract.py" "$reference_build/Corvalin-Setup.exe" "$unsigned_payload" >/dev/null ||
  fail "the unsigned setup's product files cannot be extracted"
# The programs the build signs, in build order.
signed_programs=("$build/Corvalin-Setup.exe")
[ $own_uninstaller = yes ] && signed_programs=("$build/Uninstall.exe" "${signed_programs[@]}")

# --- a wrong password fails the build at the first program it signs and leaves no unsigned file
echo wrong >"$keys/wrong-password"
# (The reference build's product files: a reused build folder may still
# point at those of a rebuild below, from a run that stopped half-way.)
cmake -DCORVALIN_SIGN_PKCS12="$keys/signer.p12" -DCORVALIN_SIGN_PASSWORD_FILE="$keys/wrong-password" \
  -DCORVALIN_SIGN_TIMESTAMP_URL= -DCORVALIN_PAYLOAD_DIR="$payload_dir" "$build" >/dev/null
rm -f "$build/Corvalin-Setup.exe" "$build/Uninstall.exe"  # both linked again whatever an earlier run left
if cmake --build "$build" --target corvalin_setup >"$work/wrong-password.log" 2>&1; then
  fail "the build passed with a wrong PKCS#12 password"
fi
# (CMake wraps the lines of an error message at its spaces.)
tr -s ' \n' '  ' <"$work/wrong-password.log" | grep -qF "signing ${signed_programs[0]} failed" ||
  { tail -n 30 "$work/wrong-password.log" >&2; fail "the build did not fail at signing ${signed_programs[0]}"; }
for file in "${signed_programs[@]}"; do
  [ ! -e "$file" ] || fail "$file was left behind although signing failed"
done

# --- the build signs Uninstall.exe, packs it, and signs the setup
cmake -DCORVALIN_SIGN_PASSWORD_FILE="$keys/password" "$build" >/dev/null
build_setup "$work/signing-build.log" "the signing build"
for file in "${signed_programs[@]}"; do
  grep -qF "Signed $file" "$work/signing-build.log" || fail "the build did not sign $file"
done
cp "$build/Corvalin-Setup.exe" "$signed"
# Only the setup was built: its manifest must describe the signed file, not
# the unsigned one built in this folder before.
"$python" "$here/check-winget-manifest.py" "$build" "${CORVALIN_WINGET_SCHEMAS:-$root/tools/winget/schemas}" "$root" ||
  fail "the package manifest of the signing build does not describe its signed setup"
if grep -rqF -- "$password" "$build" 2>/dev/null; then
  fail "the PKCS#12 password appears in the build folder: $(grep -rlF -- "$password" "$build" | head -3)"
fi

# --- the packed product files: Uninstall.exe is the signed one, the others the unsigned build's
packed=$work/signed-payload
rm -rf "$packed"
"$python" "$here/payload-extract.py" "$signed" "$packed" >/dev/null || fail "the signed setup's product files cannot be extracted"
for file in "$unsigned_payload"/*; do
  name=${file##*/}
  [ "$name" = Uninstall.exe ] && [ $own_uninstaller = yes ] && continue
  cmp -s "$file" "$packed/$name" || fail "the signed setup packs another $name than the unsigned build"
done
if [ $own_uninstaller = yes ]; then
  cmp -s "$build/Uninstall.exe" "$packed/Uninstall.exe" || fail "the setup packs another Uninstall.exe than the signed one"
  "$python" "$here/pe-compare.py" --strip-signature "$unsigned_payload/Uninstall.exe" "$packed/Uninstall.exe" ||
    fail "the packed Uninstall.exe is not the unsigned build's plus a signature"
fi

# --- the signatures verify against their authority, with SHA-256, and against no other
to_verify=("$signed")
[ $own_uninstaller = yes ] && to_verify+=("$packed/Uninstall.exe")
for file in "${to_verify[@]}"; do
  verifies "$file" "$keys/ca.crt" "$work/verify.log" ||
    { cat "$work/verify.log" >&2; fail "the signature of $file does not verify against its authority"; }
  grep -q "Message digest algorithm  *: SHA256" "$work/verify.log" || fail "the signature of $file is not SHA-256"
  if verifies "$file" "$keys/other-ca.crt"; then
    fail "the signature of $file verifies against an unrelated authority"
  fi
done

# --- one byte changed after signing (in the middle of the payload) breaks it
tampered=$work/tampered.exe
"$python" -c '
import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[len(data) // 2] ^= 0x01
open(sys.argv[2], "wb").write(data)
' "$signed" "$tampered"
if verifies "$tampered" "$keys/ca.crt"; then
  fail "a file changed after signing still verifies"
fi
# ... and the extraction that the rebuild below starts from refuses it.
rm -rf "$work/tampered-payload"
if "$python" "$here/payload-extract.py" "$tampered" "$work/tampered-payload" >/dev/null 2>&1; then
  fail "the product files of a file changed after signing were extracted without complaint"
fi
[ ! -e "$work/tampered-payload" ] || fail "a refused extraction wrote files"

# --- the signed setup = an unsigned rebuild from its own product files + its signature
# (how a published file is checked: README, "Verifying a signed setup").
cmake -DCORVALIN_SIGN_PKCS12= -DCORVALIN_SIGN_PASSWORD_FILE= -DCORVALIN_PAYLOAD_DIR="$packed" "$build" >/dev/null
build_setup "$work/rebuild.log" "the rebuild from the signed setup's product files"
rebuilt=$work/rebuilt.exe
cp "$build/Corvalin-Setup.exe" "$rebuilt"
"$python" "$here/pe-compare.py" --strip-signature "$rebuilt" "$signed" ||
  fail "the signed setup is not the rebuild from its product files plus its signature"
# ... and the changed file differs from the rebuild, once the signature is off.
if "$python" "$here/pe-compare.py" --strip-signature "$rebuilt" "$tampered" >/dev/null; then
  fail "a file changed after signing compares equal to the rebuild"
fi
rm -f "$tampered"

# --- signing the same files again gives the same bytes
again=$work/signed-again.exe
cp "$rebuilt" "$again"
sign_file "$again" "Corvalin Setup" || fail "signing the rebuild failed"
cmp -s "$again" "$signed" || fail "signing the same setup twice gave different bytes"
if [ $own_uninstaller = yes ]; then
  cp "$unsigned_payload/Uninstall.exe" "$again"
  sign_file "$again" "Corvalin Uninstaller" || fail "signing the unsigned Uninstall.exe failed"
  cmp -s "$again" "$packed/Uninstall.exe" || fail "signing the same Uninstall.exe twice gave different bytes"
fi
# A timestamp server that cannot be reached fails the signing (nothing listens
# on the discard port here) instead of leaving a file without its timestamp.
cp "$rebuilt" "$again"
if sign_file "$again" "Corvalin Setup" -DTIMESTAMP_URL=http://127.0.0.1:9/; then
  fail "signing passed although the timestamp server was unreachable"
fi
[ ! -e "$again" ] || fail "a file without its timestamp was left behind"

# --- the signed setup installs unattended under Wine in a fresh prefix (a
# copy of the end-to-end template), its payload check included; the
# installed Uninstall.exe verifies. No window, so no display. The default
# folder is taken: a folder below the program-files folder has a space, Wine
# quotes such an argument as a whole ("/P:C:\Program Files\..."), and the
# setup's parser, which cuts the command line at every "/", takes the
# folder with the closing quote and refuses it (exit code 1639, tried).
template=$reference_build/e2e-prefix-full  # the same template and lock as e2e-scenario.sh
(
  flock 9
  if [ ! -f "$template/.prepared" ]; then
    rm -rf "$template"
    "$here/prepare-prefix.sh" "$template"
    touch "$template/.prepared"
  fi
) 9>"$reference_build/e2e-prefix-full.lock"
prefix=$work/wine-prefix
rm -rf "$prefix"
mkdir -p "$prefix"
cp -a "$template/." "$prefix/"
stop_wine() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; }
trap stop_wine EXIT
# The exit code is the one a Windows caller gets: start /wait passes on the
# setup's GetExitCodeProcess (modulo 256, the log holds the whole of it), not
# the Unix status of the process Wine ran it in: once in about a hundred runs
# here that process ended by SIGSEGV after the setup had logged "Exit code:
# 0" (not seen again in 65 further runs, 40 of them with +seh tracing).
rc=0
env -u DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" \
  wine start /wait /unix "$signed" /S:1 /E:1 '/R:C:\corvalin-signed.log' >"$work/signed-wine.log" 2>&1 || rc=$?
stop_wine
setup_log=$prefix/drive_c/corvalin-signed.log
if [ $rc -ne 0 ] || ! grep -q $'^Exit code: 0\r$' "$setup_log" 2>/dev/null; then
  cat "$setup_log" "$work/signed-wine.log" >&2 2>/dev/null || true
  fail "the signed setup did not install unattended under Wine (exit code $rc modulo 256)"
fi
installed=$prefix/drive_c/Program\ Files/Corvalin/Uninstall.exe
[ -f "$installed" ] || fail "the unattended installation left no $installed"
cmp -s "$installed" "$packed/Uninstall.exe" || fail "the installed Uninstall.exe is not the packed one"
if [ $own_uninstaller = yes ]; then
  verifies "$installed" "$keys/ca.crt" "$work/verify.log" ||
    { cat "$work/verify.log" >&2; fail "the installed Uninstall.exe does not verify against its authority"; }
fi
rm -rf "$prefix"
trap - EXIT

# --- back to an unsigned build folder: without the options nothing is signed
cmake -DCORVALIN_SIGN_PKCS12= -DCORVALIN_SIGN_PASSWORD_FILE= -DCORVALIN_PAYLOAD_DIR="$payload_dir" "$build" >/dev/null
build_setup "$work/unsigned-build.log" "the unsigned rebuild"
cmp -s "$build/Corvalin-Setup.exe" "$reference_build/Corvalin-Setup.exe" ||
  fail "without the signing options the setup differs from the unsigned build"
if [ $own_uninstaller = yes ]; then
  cmp -s "$build/Uninstall.exe" "$reference_build/Uninstall.exe" ||
    fail "without the signing options Uninstall.exe differs from the unsigned build"
fi
echo "check-signing: passed in $(($(date +%s) - started)) s"
