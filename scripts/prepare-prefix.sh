#!/usr/bin/env bash
# Makes a fresh Wine prefix look like a Windows 10 system to the setup: the
# shell-extension base keys every Windows system has (a new Wine prefix lacks
# three of them) and the Windows 10 version.
#   prepare-prefix.sh <prefix> [--bare]   (--bare: leave the base keys out)
set -euo pipefail
prefix=$1
bare=${2:-}
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=;winemenubuilder.exe=d}
mkdir -p "$prefix"
wineboot -i >/dev/null 2>&1 || true
wine winecfg -v win10 >/dev/null 2>&1 || true
if [ "$bare" != "--bare" ]; then
  for key in 'HKLM\SOFTWARE\Classes\Directory\shellex\ContextMenuHandlers' \
             'HKLM\SOFTWARE\Classes\Drive\shellex\ContextMenuHandlers' \
             'HKLM\SOFTWARE\Classes\*\shellex\PropertySheetHandlers' \
             'HKLM\SOFTWARE\Classes\*\shellex\ContextMenuHandlers'; do
    wine reg add "$key" /f >/dev/null 2>&1
  done
fi
wineserver -w
