#!/usr/bin/env bash
# Runs a Windows program under Wine in the build's own prefix (created on
# first use), with Wine's debug output silenced. Used by CTest as the
# cross-compiling emulator.
# Wine's menu builder stays off: every shell link a test saves would start
# winemenubuilder.exe, which opens the link's target for its icon a moment
# later (a hold nobody controls, seen as sharing violations on freshly
# installed files) and writes menu entries into the host's desktop menus.
set -euo pipefail
export WINEDEBUG=${WINEDEBUG:--all}
export WINEPREFIX=${WINEPREFIX:-${CORVALIN_WINEPREFIX:-$HOME/.cache/corvalin/wineprefix}}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
  wineserver -w || true
fi
exec wine "$@"
