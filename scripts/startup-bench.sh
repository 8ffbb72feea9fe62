#!/usr/bin/env bash
# Start-up benchmark under Wine: Corvalin-Setup.exe, the bare-window
# baseline and a copy of the setup with a damaged first record, each started
# N times in one prefix (a copy of the end-to-end template, prepared like a
# Windows 10 system). Prints the figures with the machine's load average.
# Takes about 30 s on top of the prefix (the template is made once per build).
#   startup-bench.sh [build-dir] [starts]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/win64}" && pwd)
starts=${2:-7}
for f in Corvalin-Setup.exe bench/bare_window.exe bench/startup_bench.exe; do
  [ -f "$build/$f" ] || { echo "startup-bench: $build/$f is not built" >&2; exit 1; }
done
. "$here/bench-prefix.sh"
bench_prefix "$build" startup
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
wine "$build/bench/startup_bench.exe" "$(winpath "$build/Corvalin-Setup.exe")" \
  "$(winpath "$build/bench/bare_window.exe")" "$starts"
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
