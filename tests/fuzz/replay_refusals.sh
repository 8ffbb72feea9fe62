#!/usr/bin/env bash
# A corpus replay proves something only if it ran inputs and a failing input
# fails it: the replay driver, linked with a target that fails on purpose
# (replay_probe.cpp), must fail promptly for an input that breaks a property,
# faults or lets an exception escape, and must fail, saying why, for an empty
# corpus folder and for one that is not there (a renamed or mistyped folder
# would otherwise pass silently). A harmless input passes.
#   replay_refusals.sh <scratch folder> <prefix the program sees the host's paths under> <program...>
set -uo pipefail
scratch=$1 host_prefix=$2
shift 2
program=("$@")
rm -rf "$scratch"
mkdir -p "$scratch/empty" "$scratch/fine" "$scratch/property" "$scratch/fault" "$scratch/exception"
printf 'x' >"$scratch/fine/input"
printf 'p' >"$scratch/property/input"
printf 'f' >"$scratch/fault/input"
printf 'e' >"$scratch/exception/input"
fail=0
run() {  # <folder>: sets out and rc; a replay that hangs counts as one that does not end
  out=$(timeout 60 "${program[@]}" "$host_prefix$1" 2>&1)
  rc=$?
}
expect_refusal() {  # <case> <folder> [expected message]
  run "$2"
  if [ $rc -eq 0 ] || [ $rc -eq 124 ] || { [ -n "${3:-}" ] && ! grep -qF "$3" <<<"$out"; }; then
    echo "FAILED: $1: exit code $rc (124: did not end), output:"
    echo "$out"
    fail=1
  else
    echo "ok: $1 refused (exit code $rc)"
  fi
}
run "$scratch/fine"
if [ $rc -ne 0 ]; then
  echo "FAILED: a harmless input: exit code $rc, output:"
  echo "$out"
  fail=1
fi
expect_refusal "a broken property" "$scratch/property" "property broken"
expect_refusal "an access violation" "$scratch/fault"
expect_refusal "an escaping exception" "$scratch/exception"
expect_refusal "empty corpus folder" "$scratch/empty" "no input to replay"
expect_refusal "missing corpus folder" "$scratch/missing" "cannot read"
exit $fail
