#!/usr/bin/env bash
# The soak: many cycles of what deployment systems do with the setup, each in
# a fresh copy of the end-to-end prefix template (prepared like a Windows 10
# system), `parallel` prefixes at a time, each slot on its own virtual display.
# A cycle (tests/e2e/soak_cycle_test.cpp) is an unattended new installation
# (language and desktop link varied by the cycle's number), an update, two
# setups started at the same moment, a wizard whose Cancel comes while the
# preparation runs (No, then Yes), and the stored quiet uninstall command,
# after which HKLM\SOFTWARE, the folder and the links are as before.
#
#   soak.sh [cycles] [parallel]        defaults: 20 cycles, one slot per core
#
# Environment: CORVALIN_SOAK_BUILD (build folder, default build/win64),
# CORVALIN_SOAK_MAX_SECONDS (no cycle starts after it; default 600 s plus
# 120 s per cycle and slot), CORVALIN_SOAK_KEEP (where failed cycles are kept,
# default <build>/soak/<start time>).
#
# Every cycle runs under WINEDEBUG=+seh,+process; the trace (with a marker
# line at each step's start) is kept only for a failed cycle, beside its
# prefix, the setup's and the uninstaller's logs and the test's output.
# Prints cycles, failures, the failure rate with its 95 % upper bound and each
# step's median and 99th percentile; exits 1 when a cycle failed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cycles=${1:-20}
parallel=${2:-$(nproc)}
build=$(cd "${CORVALIN_SOAK_BUILD:-$here/../build/win64}" && pwd)
max_seconds=${CORVALIN_SOAK_MAX_SECONDS:-$((600 + 120 * cycles / parallel))}
keep=${CORVALIN_SOAK_KEEP:-$build/soak/$(date -u +%Y%m%dT%H%M%SZ)}
for f in Corvalin-Setup.exe tests/e2e_tests.exe payload/sample/Corvalin.exe; do
  [ -f "$build/$f" ] || { echo "soak: $build/$f is not built" >&2; exit 1; }
done

. "$here/bench-prefix.sh"
prefix_template "$build"

work=$(mktemp -d /tmp/corvalin-soak.XXXXXX)
displays=()
xvfb_pids=()
cleanup() {
  local p
  for p in "$work"/prefix-*; do
    [ -d "$p" ] && { WINEPREFIX=$p wineserver -k 2>/dev/null || true; }
  done
  for p in "${xvfb_pids[@]}"; do kill "$p" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 "$parallel"); do
  unset DISPLAY CORVALIN_XVFB_PID
  start_virtual_display
  displays+=("$DISPLAY")
  xvfb_pids+=("$CORVALIN_XVFB_PID")
done


# One cycle in slot $2: its result line goes to $work/result-<cycle>.
run_cycle() {
  local n=$1 slot=$2 prefix=$work/prefix-$1 out=$work/cycle-$1 status=0
  mkdir -p "$out" "$prefix"
  cp -a "$template/." "$prefix/"
  local started=$(date +%s%N)
  (
    export DISPLAY=${displays[$slot]} WINEPREFIX=$prefix WINEDEBUG=+seh,+process
    export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
    export CORVALIN_SETUP_EXE=$(winpath "$build/Corvalin-Setup.exe")
    export CORVALIN_SAMPLE_DIR=$(winpath "$build/payload/sample")
    export CORVALIN_SOAK_CYCLE=$n CORVALIN_SOAK_TIMES=$(winpath "$out/times.txt")
    # The harness's own bound: a cycle whose steps all ran into their limits.
    exec timeout -k 10 1200 wine "$build/tests/e2e_tests.exe" --gtest_filter=SoakCycle.DeploymentCycle
  ) >"$out/test.txt" 2>"$out/trace.txt" || status=$?
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  local ms=$(( ($(date +%s%N) - started) / 1000000 ))
  # A status above 128 is a signal of the Unix process Wine ran the test in
  # (the harness or Wine), not a result the test reported.
  local verdict=ok
  if [ "$status" -ne 0 ]; then
    verdict=failed
    [ "$status" -eq 124 ] && verdict=failed-timeout
    [ "$status" -gt 128 ] && [ "$status" -ne 137 ] && verdict="failed-signal-$((status - 128))"
  fi
  echo "$n $verdict $ms" >"$work/result-$n"
  if [ "$verdict" = ok ]; then
    cat "$out/times.txt" >>"$work/times-all" 2>/dev/null || true
    rm -rf "$prefix" "$out"
  else
    mkdir -p "$keep"
    find "$prefix/drive_c" -iname 'Corvalin-*.log' -exec cp {} "$out/" \; 2>/dev/null || true
    mv "$prefix" "$out/prefix"
    mv "$out" "$keep/cycle-$n"
  fi
}

echo "soak: $cycles cycles, $parallel at a time, at most ${max_seconds}s; load average $(cut -d' ' -f1-3 /proc/loadavg)"
deadline=$(( $(date +%s) + max_seconds ))
echo 0 >"$work/next"
# Takes the next cycle number; none when all are taken or time is up.
next_cycle() {
  (
    flock 8
    local n=$(( $(cat "$work/next") + 1 ))
    [ "$n" -le "$cycles" ] && [ "$(date +%s)" -lt "$deadline" ] || exit 1
    echo "$n" >"$work/next"
    echo "$n"
  ) 8>"$work/next.lock"
}
slot_worker() {
  local n
  while n=$(next_cycle); do run_cycle "$n" "$1"; done
}
workers=()
for s in $(seq 0 $((parallel - 1))); do
  slot_worker "$s" &
  workers+=($!)
done
wait "${workers[@]}"
[ "$(cat "$work/next")" -lt "$cycles" ] && echo "soak: time is up after $(cat "$work/next") of $cycles cycles"

cat "$work"/result-* 2>/dev/null | sort -n >"$work/results" || true
python3 "$here/soak-report.py" "$work/results" "$work/times-all" "$keep"
