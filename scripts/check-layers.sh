#!/usr/bin/env bash
# The layers' include rules: arrows point down only, and only
# src/platform/win32 sees the Windows SDK headers.
set -euo pipefail
cd "$(dirname "$0")/../src"
fail=0
check() {  # <folder> <forbidden include prefixes as a regex>
  local hits
  hits=$(grep -rn -E "#\s*include\s*\"($2)/" "$1" 2>/dev/null || true)
  if [ -n "$hits" ]; then echo "layer rule broken in $1:"; echo "$hits"; fail=1; fi
}
check common 'catalogue|shell|engine|app|uninstall'
check catalogue 'shell|engine|app|uninstall'
check platform 'shell|engine|app|uninstall'
check shell 'engine|app|uninstall'
check engine 'app|uninstall'
# The two programs at the top are peers: neither includes the other.
check app 'uninstall'
check uninstall 'app'
win=$(grep -rln -E '#\s*include\s*<(windows|winreg|winbase|winuser|shlobj|shellapi|objbase|ole2|roapi|winstring|commctrl|shlwapi)\.h>' . | grep -v '^./platform/win32/' || true)
if [ -n "$win" ]; then echo "Windows headers outside platform/win32:"; echo "$win"; fail=1; fi
[ $fail = 0 ] && echo "layers ok"
exit $fail
