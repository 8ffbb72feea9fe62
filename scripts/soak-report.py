#!/usr/bin/env python3
"""The soak's figures: cycles, failures, the failure rate with its exact
one-sided 95 % upper bound (Clopper-Pearson), and for each step the median
and the 99th percentile of its time over the cycles that passed.

    soak-report.py <results> <step times> <folder of kept cycles>

results: "<cycle> <verdict> <milliseconds>" per cycle; step times:
"<step> <milliseconds> <exit codes>" per step. Exits 1 when a cycle failed.
"""
import math
import os
import sys


def binom_cdf(k, n, p):
    """P(X <= k) for X ~ Binomial(n, p)."""
    if p <= 0.0:
        return 1.0
    if p >= 1.0:
        return 1.0 if k >= n else 0.0
    total = 0.0
    log_p, log_q = math.log(p), math.log1p(-p)
    for i in range(k + 1):
        log_term = math.lgamma(n + 1) - math.lgamma(i + 1) - math.lgamma(n - i + 1) + i * log_p + (n - i) * log_q
        total += math.exp(log_term)
    return min(total, 1.0)


def upper_bound(failures, n, confidence=0.95):
    """The largest failure rate under which seeing at most `failures` in n is still 5 % likely."""
    if n == 0:
        return 1.0
    if failures >= n:
        return 1.0
    lo, hi = failures / n, 1.0
    for _ in range(100):
        mid = (lo + hi) / 2
        if binom_cdf(failures, n, mid) > 1 - confidence:
            lo = mid
        else:
            hi = mid
    return hi


def percentile(sorted_values, q):
    """Nearest-rank percentile of an ascending list."""
    if not sorted_values:
        return float("nan")
    rank = max(1, math.ceil(q / 100 * len(sorted_values)))
    return sorted_values[rank - 1]


def read_lines(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8", errors="replace") as f:
        return [line.split() for line in f if line.strip()]


def main():
    results, times, keep = sys.argv[1], sys.argv[2], sys.argv[3]
    cycles = read_lines(results)
    failed = [c for c in cycles if c[1] != "ok"]
    n, k = len(cycles), len(failed)
    print(f"soak: {n} cycles, {k} failed")
    if n:
        print(f"soak: failure rate {100 * k / n:.2f} %, 95 % upper bound {100 * upper_bound(k, n):.2f} %")
        total = sorted(int(c[2]) for c in cycles)
        print(f"soak: cycle time median {percentile(total, 50) / 1000:.1f} s, p99 {percentile(total, 99) / 1000:.1f} s")
    steps = {}
    for fields in read_lines(times):
        if len(fields) >= 2:
            steps.setdefault(fields[0], []).append(int(fields[1]))
    for step in ("install", "update", "concurrent", "wizard-cancel", "uninstall"):
        values = sorted(steps.get(step, []))
        if values:
            print(f"soak: step {step:<14} n={len(values):<5} median {percentile(values, 50):>6} ms   p99 {percentile(values, 99):>6} ms")
    for c in failed:
        print(f"soak: cycle {c[0]} {c[1]}: kept in {os.path.join(keep, 'cycle-' + c[0])}")
    return 1 if k else 0


if __name__ == "__main__":
    sys.exit(main())
