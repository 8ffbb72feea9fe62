#!/usr/bin/env bash
# Installation benchmark under Wine: the unattended installation of
# Corvalin-Setup.exe into a new folder, N times, against zlib and WriteFile
# writing the same files from the same records, in one prefix (a copy of the
# end-to-end template, prepared like a Windows 10 system). Prints the figures
# with the machine's load average. Takes about 5 s with 3 runs on a quiet
# 2-core machine, on top of the prefix (the template is made once per build).
#   install-bench.sh [build-dir] [runs]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build/win64}" && pwd)
runs=${2:-5}
for f in Corvalin-Setup.exe bench/install_bench.exe; do
  [ -f "$build/$f" ] || { echo "install-bench: $build/$f is not built" >&2; exit 1; }
done
. "$here/bench-prefix.sh"
bench_prefix "$build" install
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
wine "$build/bench/install_bench.exe" "$(winpath "$build/Corvalin-Setup.exe")" \
  'C:\Program Files\Corvalin Bench' "$runs"
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
