#!/usr/bin/env bash
# Builds Corvalin-Setup.exe and starts it under Wine in a throwaway prefix
# prepared like a Windows 10 system. With a display the wizard is yours to
# use; without one it runs on a virtual display, the driver walks through the
# pages and saves a screenshot of each in build/win64/screenshots/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=${CORVALIN_JOBS:-2}
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "$jobs" --target corvalin_setup e2e_tests

prefix=$(mktemp -d /tmp/corvalin-run.XXXXXX)
. scripts/virtual-display.sh
cleanup() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; stop_virtual_display; rm -rf "$prefix"; }
trap cleanup EXIT
interactive=1
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  interactive=0
  start_virtual_display
fi
echo "preparing the Wine prefix $prefix ..."
scripts/prepare-prefix.sh "$prefix"
export WINEPREFIX=$prefix WINEDEBUG=-all
exe=$PWD/build/win64/Corvalin-Setup.exe
if [ "$interactive" = 1 ]; then
  wine "$exe" && echo "setup ended with exit code 0"
else
  shots=$PWD/build/win64/screenshots
  mkdir -p "$shots"
  CORVALIN_SETUP_EXE="Z:${exe//\//\\}" CORVALIN_SCREENSHOT_DIR="Z:${shots//\//\\}" \
    wine build/win64/tests/e2e_tests.exe --gtest_filter='Screens.*'
  echo "screenshots saved in $shots:"
  ls "$shots"
fi
