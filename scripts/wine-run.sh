#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix (created on
# first use), with Wine's debug output silenced. Used by CTest as the
# cross-compiling emulator.
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${CORVALIN_WINEPREFIX:-$HOME/.cache/corvalin/wineprefix}}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
exec wine "$@"
