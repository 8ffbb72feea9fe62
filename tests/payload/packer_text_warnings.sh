#!/usr/bin/env bash
# The packer warns about a licence or read-me that is valid UTF-8 with
# characters beyond ASCII but no byte-order mark (the setup would show it in
# the system's code page), and about nothing else: marked UTF-8, UTF-16,
# plain ASCII and code-page text pass quietly, and a product file that is no
# shown text is never looked at. The records are packed either way.
#   packer_text_warnings.sh <pack_payload> <product folder> <scratch folder>
set -euo pipefail
pack=$1 products=$2 scratch=$3
passed=0 failed=0

# A copy of the product folder (as links) in which file $1 holds the bytes
# printf makes of $2.
prepare() {
  rm -rf "$scratch/in" "$scratch/out"
  mkdir -p "$scratch/in"
  for f in "$products"/*; do ln -s "$(readlink -f "$f")" "$scratch/in/$(basename "$f")"; done
  rm "$scratch/in/$1"
  printf "$2" >"$scratch/in/$1"
}

check() {  # name, file, printf bytes, expected: warning|quiet
  local out
  prepare "$2" "$3"
  if ! out=$("$pack" "$scratch/in" "$scratch/out" 2>&1) || [[ ! -e $scratch/out/payload.rc ]]; then
    echo "FAIL $1: the packer refused it: $out"; failed=$((failed + 1)); return
  fi
  local warned=quiet
  if [[ $out == *"warning: $scratch/in/$2: UTF-8 with non-ASCII characters but no byte-order mark"* ]]; then
    warned=warning
  elif [[ $out == *warning* ]]; then
    warned="another warning ($out)"
  fi
  if [[ $warned != "$4" ]]; then
    echo "FAIL $1: expected $4, got $warned"; failed=$((failed + 1)); return
  fi
  echo "ok   $1: $4"; passed=$((passed + 1))
}

greeting='Gr\xc3\xbc\xc3\x9fe\r\n'  # "Grüße" in UTF-8
check "unmarked UTF-8 licence (en)" License_en.txt "$greeting" warning
check "unmarked UTF-8 licence (de)" License_de.txt "$greeting" warning
check "unmarked UTF-8 read-me (en)" ReadMe_en.txt "$greeting" warning
check "unmarked UTF-8 read-me (de)" ReadMe_de.txt "$greeting" warning
check "four-byte UTF-8 character" ReadMe_en.txt 'x \xf0\x9f\x98\x80\r\n' warning
check "UTF-8 with a mark" License_de.txt "\xef\xbb\xbf$greeting" quiet
check "UTF-16 LE with a mark" License_de.txt '\xff\xfeG\x00\xfc\x00\r\x00\n\x00' quiet
check "UTF-16 BE with a mark" License_de.txt '\xfe\xff\x00G\x00\xfc\x00\r\x00\n' quiet
check "plain ASCII" License_de.txt 'Greetings\r\n' quiet
check "code-page text (Windows-1252)" License_de.txt 'Gr\xfc\xdfe\r\n' quiet
check "a cut-off UTF-8 character at the end" License_de.txt 'Gr\xc3' quiet
check "an overlong form" License_de.txt 'Gr\xc0\xbc' quiet
check "a product file that is no shown text" Corvalin_en.pdf "$greeting" quiet

rm -rf "$scratch/in" "$scratch/out"
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
