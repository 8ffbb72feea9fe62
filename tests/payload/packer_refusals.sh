#!/usr/bin/env bash
# The packer stops the build, naming the file, when a product file is
# missing, is not a readable file, or is 4 GiB or larger. (That it packs an
# intact folder, every build shows.)
#   packer_refusals.sh <pack_payload> <product folder> <scratch folder>
set -euo pipefail
pack=$1 products=$2 scratch=$3
passed=0 failed=0

# A copy of the product folder (as links) in which one file is replaced.
prepare() {
  rm -rf "$scratch/in" "$scratch/out"
  mkdir -p "$scratch/in"
  for f in "$products"/*; do ln -s "$(readlink -f "$f")" "$scratch/in/$(basename "$f")"; done
}

expect_refusal() {  # name, file name the message must contain
  local out
  if out=$("$pack" "$scratch/in" "$scratch/out" 2>&1); then
    echo "FAIL $1: the packer accepted it"; failed=$((failed + 1)); return
  fi
  if [[ $out != *"$2"* ]] || [[ -e $scratch/out/payload.rc ]]; then
    echo "FAIL $1: message does not name $2 or a resource script was left: $out"; failed=$((failed + 1)); return
  fi
  echo "ok   $1: $out"; passed=$((passed + 1))
}

prepare
rm "$scratch/in/Corvalin_en.pdf"
expect_refusal "missing file" "Corvalin_en.pdf"

prepare
rm "$scratch/in/cvlnshxt.dll" && mkdir "$scratch/in/cvlnshxt.dll"
expect_refusal "not a file" "cvlnshxt.dll"

prepare
rm "$scratch/in/Uninstall.exe" && truncate -s 4294967296 "$scratch/in/Uninstall.exe"  # sparse: no disk used
expect_refusal "4 GiB file" "Uninstall.exe"

rm -rf "$scratch/in" "$scratch/out"

echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
