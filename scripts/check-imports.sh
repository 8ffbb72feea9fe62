#!/usr/bin/env bash
# Fails when the exe imports a DLL that Windows does not always take from the
# system folder (a planted copy next to the setup could be loaded instead).
set -euo pipefail
exe=$1
allowed='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|shlwapi|comctl32|comdlg32|msvcrt|ws2_32|rpcrt4|combase|sechost|imagehlp|psapi|setupapi|normaliz|wldap32|bcrypt|ucrtbase|ntdll)\.dll$'
dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "imports of $(basename "$exe"):" $dlls
bad=$(printf '%s\n' $dlls | grep -v -E "$allowed" || true)
if [ -n "$bad" ]; then
  echo "error: imports outside the system set: $bad" >&2
  exit 1
fi
