#!/usr/bin/env bash
# Builds Corvalin-Setup.exe a second time from a copy of this tree in another
# folder and compares it byte for byte with the one of the win64 build; on a
# difference it names the first differing header field, section or resource
# (scripts/pe-compare.py).
#   check-reproducible.sh <work folder> [reference build folder, default build/win64]
# The second build is left in <work folder>/corvalin/build/win64 (the signing
# check reuses it, so that it only has to link again).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
work=$1
reference_build=$(cd "${2:-$root/build/win64}" && pwd)
reference=$reference_build/Corvalin-Setup.exe
[ -f "$reference" ] || { echo "check-reproducible: build $reference first" >&2; exit 1; }
python=/usr/bin/python3
started=$(date +%s)

# The copy holds what git would commit (tracked and new, unignored files), so
# the tree's own build folders do not come along; outside a repository,
# everything but build/.
copy=$work/corvalin
mkdir -p "$copy"
# A build folder left by an earlier run in the same work folder is reused
# (the sources are always copied afresh); a new work folder builds clean.
find "$copy" -mindepth 1 -maxdepth 1 ! -name build -exec rm -rf {} +
if git -C "$root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  (cd "$root" && git ls-files -z --cached --others --exclude-standard) |
    (cd "$root" && tar --null -T - -cf -) | tar -xf - -C "$copy"
else
  (cd "$root" && tar --exclude=./build -cf - .) | tar -xf - -C "$copy"
fi

# Same product files as the reference build (a maker's folder, or none), and
# unsigned: a reused build folder may hold the options a signing check that
# stopped half-way left in its cache.
payload_dir=$(sed -n 's/^CORVALIN_PAYLOAD_DIR:[A-Z]*=//p' "$reference_build/CMakeCache.txt" 2>/dev/null || true)
options=("-DCORVALIN_PAYLOAD_DIR=$payload_dir" -DCORVALIN_SIGN_PKCS12= -DCORVALIN_SIGN_PASSWORD_FILE=
         -DCORVALIN_SIGN_TIMESTAMP_URL=)
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
(cd "$copy" && cmake --preset win64 "${options[@]}" >/dev/null &&
  cmake --build build/win64 --target corvalin_setup -j "${CORVALIN_JOBS:-2}" >"$work/second-build.log" 2>&1) ||
  { tail -n 30 "$work/second-build.log" >&2; echo "check-reproducible: the second build failed" >&2; exit 1; }
second=$copy/build/win64/Corvalin-Setup.exe

if ! "$python" "$here/pe-compare.py" "$reference" "$second"; then
  echo "check-reproducible: FAILED: two builds of the same tree differ" >&2
  exit 1
fi
echo "SHA-256 of both: $(sha256sum "$reference" | cut -d' ' -f1)"

# The comparison names what differs: one byte of a payload record changed in
# a copy must be reported as that resource, not merely as "different".
damaged=$work/damaged.exe
"$python" -c '
import importlib.util, sys
loader = importlib.util.spec_from_file_location("pe_compare", sys.argv[1])
pe = importlib.util.module_from_spec(loader); loader.loader.exec_module(pe)
exe = pe.PeFile(sys.argv[2])
record = exe.resources()[(10, 140, 1033)]
data = bytearray(exe.data)
at = data.find(record) + len(record) // 2
data[at] ^= 0x01
open(sys.argv[3], "wb").write(data)
' "$here/pe-compare.py" "$second" "$damaged"
verdict=$("$python" "$here/pe-compare.py" "$second" "$damaged" || true)
rm -f "$damaged"
case $verdict in
  *"resource RCDATA 140 "*) ;;
  *) echo "check-reproducible: FAILED: a changed record was reported as: $verdict" >&2; exit 1 ;;
esac
echo "check-reproducible: passed in $(($(date +%s) - started)) s"
