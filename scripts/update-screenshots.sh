#!/usr/bin/env bash
# Regenerates the README's screenshots in docs/: builds the setup, lets the
# driver walk every page in both languages on a virtual display, and copies
# the PNG files it saved.
set -euo pipefail
cd "$(dirname "$0")/.."
env -u DISPLAY scripts/run.sh
mkdir -p docs
cp build/win64/screenshots/*.png docs/
ls docs
