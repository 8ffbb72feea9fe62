#!/usr/bin/env bash
# Installs what is missing, builds every preset and runs every test:
# natively, with sanitizers, and the Windows build under Wine on a virtual
# display (unit, contract and end-to-end suites), then the payload, start-up
# and installation benchmarks.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
. scripts/virtual-display.sh

jobs=${CORVALIN_JOBS:-2}
# A throwaway Wine prefix for this run (about 700 MB once the tests ran in
# it), removed again whether the run passes or fails; the end-to-end tests
# make and remove their own. A prefix given in CORVALIN_WINEPREFIX is the
# caller's and stays.
own_prefix=
if [ -z "${CORVALIN_WINEPREFIX:-}" ]; then
  CORVALIN_WINEPREFIX=$(mktemp -d /tmp/corvalin-wine.XXXXXX)
  own_prefix=$CORVALIN_WINEPREFIX
fi
export CORVALIN_WINEPREFIX
cleanup() {
  stop_virtual_display
  WINEPREFIX=$CORVALIN_WINEPREFIX wineserver -k 2>/dev/null || true
  if [ -n "$own_prefix" ]; then rm -rf "$own_prefix"; fi
}
trap cleanup EXIT
# Interrupted, it still cleans up (bash runs the EXIT trap on exit, not on a
# signal's default action).
trap 'exit 130' INT TERM
start_virtual_display

scripts/check-layers.sh

echo "== Windows build (mingw-w64) =="
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs"
setup_exe=$PWD/build/win64/Corvalin-Setup.exe

echo "== native build =="
cmake --preset native -DCORVALIN_SETUP_EXE="$setup_exe" >/dev/null
cmake --build --preset native -j "$jobs"
ctest --preset native -j "$jobs"

echo "== native build with sanitizers =="
cmake --preset native-asan -DCORVALIN_SETUP_EXE="$setup_exe" >/dev/null
cmake --build --preset native-asan -j "$jobs"
ctest --preset native-asan -j "$jobs"

scripts/fuzz.sh

echo "== Windows tests under Wine =="
ctest --preset win64

# A short soak: every cycle must pass (the long one is run by hand).
echo "== soak =="
scripts/soak.sh 8 "$jobs"

echo "== release checks: manifest, reproducible setup, signing =="
scripts/check-release.sh

if [ -x build/native/bench/payload_bench ]; then
  echo "== payload benchmark =="
  build/native/bench/payload_bench
fi
echo "== start-up benchmark ==" && scripts/startup-bench.sh build/win64 5
echo "== installation benchmark ==" && scripts/install-bench.sh build/win64 3
echo "all tests passed"
