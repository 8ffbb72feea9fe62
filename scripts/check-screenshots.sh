#!/usr/bin/env bash
# Compares the README's pictures in docs/ pixel for pixel with the ones a
# fresh run of the screenshot scenario saved (e2e_Screens), so that a page or
# a payload that changed fails here until the pictures are renewed with
# scripts/update-screenshots.sh.
#   check-screenshots.sh <folder the scenario saved into> [docs folder, default docs/]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
shots=$1
docs=${2:-$here/../docs}
failed=0 compared=0
for picture in "$docs"/*.png; do
  name=$(basename "$picture")
  fresh=$shots/$name
  if [ ! -f "$fresh" ]; then
    echo "check-screenshots: $name: the scenario saved no such picture in $shots"
    failed=1
    continue
  fi
  # AE: the number of pixels that differ (printed on stderr); exit code 1
  # when any does, 2 when the files cannot be compared.
  if differing=$(compare -metric AE "$picture" "$fresh" null: 2>&1); then
    compared=$((compared + 1))
  else
    echo "check-screenshots: $name: $differing pixels differ from the fresh picture"
    failed=1
  fi
done
if [ $failed -ne 0 ]; then
  echo "check-screenshots: FAILED: the pictures in docs/ are not what the setup shows; renew them with scripts/update-screenshots.sh" >&2
  exit 1
fi
[ $compared -gt 0 ] || { echo "check-screenshots: no pictures in $docs" >&2; exit 1; }
echo "check-screenshots: $compared pictures in docs/ match the fresh run pixel for pixel"
