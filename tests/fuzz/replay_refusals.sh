#!/usr/bin/env bash
# A corpus replay proves something only if it ran inputs: the replay driver
# must fail, and say why, for an empty corpus folder and for one that is not
# there (a renamed or mistyped folder would otherwise pass silently).
#   replay_refusals.sh <scratch folder> <prefix the program sees the host's paths under> <program...>
set -uo pipefail
scratch=$1 host_prefix=$2
shift 2
rm -rf "$scratch"
mkdir -p "$scratch/empty"
fail=0
expect_refusal() {  # <case> <folder> <expected message>
  local out rc
  out=$("${program[@]}" "$host_prefix$2" 2>&1)
  rc=$?
  if [ $rc -eq 0 ] || ! grep -qF "$3" <<<"$out"; then
    echo "FAILED: $1: exit code $rc, output:"
    echo "$out"
    fail=1
  else
    echo "ok: $1 refused (exit code $rc)"
  fi
}
program=("$@")
expect_refusal "empty corpus folder" "$scratch/empty" "no input to replay"
expect_refusal "missing corpus folder" "$scratch/missing" "cannot read"
exit $fail
