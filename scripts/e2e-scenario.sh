#!/usr/bin/env bash
# Runs one end-to-end scenario in a fresh Wine prefix: a copy of a template
# prepared once per build (like a Windows 10 system, or "bare" without the
# shell-extension base keys), removed again afterwards.
#   e2e-scenario.sh <full|bare|w11> <build-dir> <gtest filter>
# (w11: full, then made to report Windows 11 with the stand-in deployment service)
set -euo pipefail
kind=$1
build=$(cd "$2" && pwd)
filter=$3
here=$(cd "$(dirname "$0")" && pwd)
template=$build/e2e-prefix-$kind
(
  flock 9
  if [ ! -f "$template/.prepared" ]; then
    rm -rf "$template"
    if [ "$kind" = bare ]; then "$here/prepare-prefix.sh" "$template" --bare; else "$here/prepare-prefix.sh" "$template"; fi
    if [ "$kind" = w11 ]; then "$here/w11-standin-prefix.sh" "$template" "$build/tests/deploy_standin.dll"; fi
    touch "$template/.prepared"
  fi
) 9>"$build/e2e-prefix-$kind.lock"

prefix=$(mktemp -d /tmp/corvalin-e2e.XXXXXX)
cleanup() { WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$prefix"; }
trap cleanup EXIT
cp -a "$template/." "$prefix/"
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
# Wine's menu builder off, as in wine-run.sh: it opens link targets at moments nobody controls.
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
export CORVALIN_SETUP_EXE=$(winpath "$build/Corvalin-Setup.exe")
export CORVALIN_SAMPLE_DIR=$(winpath "$build/payload/sample")
mkdir -p "$build/screenshots"
export CORVALIN_SCREENSHOT_DIR=${CORVALIN_SCREENSHOT_DIR:-$(winpath "$build/screenshots")}
wine "$build/tests/e2e_tests.exe" --gtest_filter="$filter"
