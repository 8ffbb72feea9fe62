#!/usr/bin/env bash
# Regenerates the README's screenshots in docs/: builds the setup, runs the
# screenshot scenario (e2e_Screens: every page in both languages) on a
# virtual display, and copies the pictures it saved. The test command runs
# the same scenario and compares its pictures with docs/ pixel for pixel
# (scripts/check-screenshots.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
. scripts/virtual-display.sh
# Always the virtual display: its size, depth and fonts are those of the test command's.
unset DISPLAY
trap stop_virtual_display EXIT
start_virtual_display
cmake --preset win64 >/dev/null
cmake --build --preset win64 -j "${CORVALIN_JOBS:-2}" --target corvalin_setup e2e_tests
shots=build/win64/screenshots
rm -f "$shots"/[1-5]-*.png
ctest --preset win64 -R '^e2e_Screens$'
mkdir -p docs
cp "$shots"/[1-5]-*.png docs/
ls docs
