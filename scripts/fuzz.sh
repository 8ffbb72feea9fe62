#!/usr/bin/env bash
# Builds the fuzz targets (preset `fuzz`: clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) and runs each for a fixed budget, starting from
# its corpus in tests/fuzz/corpus/<target>. Fails on any finding: a crash, a
# sanitizer report, a broken property, a leak, a time-out or running out of
# memory. The input that failed is left in build/fuzz/findings/; once the
# fault is mended, copy it into the target's corpus folder, where ctest
# replays it in every build.
#   CORVALIN_FUZZ_SECONDS  budget per target (default 25)
#   CORVALIN_FUZZ_TARGETS  targets to run (default: all)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${CORVALIN_FUZZ_SECONDS:-25}
jobs=${CORVALIN_JOBS:-2}

echo "== fuzz build (clang, libFuzzer, sanitizers) =="
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs"

bin=build/fuzz/tests/fuzz
findings=build/fuzz/findings
mkdir -p "$findings"
targets=${CORVALIN_FUZZ_TARGETS:-$(cd tests/fuzz/corpus && ls)}
failed=()
summary=()
for target in $targets; do
  echo "== fuzzing $target for ${seconds}s =="
  # New inputs go to a scratch folder first in the list, so the committed
  # corpus stays as it is.
  scratch=build/fuzz/corpus-work/$target
  mkdir -p "$scratch"
  log=$findings/$target.log
  if "$bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
       -artifact_prefix="$findings/$target-" "$scratch" "tests/fuzz/corpus/$target" >"$log" 2>&1; then
    status=ok
  else
    status=FAILED
    failed+=("$target")
    grep -E "ERROR|property broken|handler raised|Test unit written|SUMMARY" "$log" | head -20 || true
  fi
  cov=$(grep -Eo 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 || true)
  rate=$(grep -Eo 'stat::average_exec_per_sec: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo "?")
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' || echo "?")
  summary+=("$(printf '%-13s %-7s %9s runs %7s exec/s  %s' "$target" "$status" "$runs" "$rate" "$cov")")
done

echo "== fuzz summary (${seconds}s per target) =="
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing found faults in: ${failed[*]} (logs and inputs in $findings)"
  exit 1
fi
