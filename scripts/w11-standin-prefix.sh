#!/usr/bin/env bash
# Makes a prepared Wine prefix look like Windows 11 (build 22631) to a program
# whose manifest declares Windows 10 compatibility, and registers the stand-in
# deployment service (a test library, never shipped) for the runtime classes
# the context-menu package step activates. This Wine has no package manager
# and no Uri class of its own.
#   w11-standin-prefix.sh <prefix> <deploy_standin.dll>
# Wine takes the version from HKLM\...\Windows NT\CurrentVersion when no
# "Version" is set for it (winecfg -v sets one), and reports that build to a
# program manifested for Windows 10: probed with Wine 8.0, 10.0 build 22631.
set -euo pipefail
prefix=$1
dll=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
regtext() { local p; p=$(winpath "$1"); echo "${p//\\/\\\\}"; }  # backslashes doubled for a .reg file
classes=(Windows.Management.Deployment.PackageManager Windows.Management.Deployment.AddPackageOptions)
# The Uri class only where this Wine lacks it.
if ! wine reg query 'HKLM\Software\Microsoft\WindowsRuntime\ActivatableClassId\Windows.Foundation.Uri' >/dev/null 2>&1; then
  classes+=(Windows.Foundation.Uri)
fi
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
{
  printf 'REGEDIT4\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine]\r\n"Version"=-\r\n\r\n'
  printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion]\r\n'
  printf '"CurrentVersion"="10.0"\r\n"CurrentBuild"="22631"\r\n"CurrentBuildNumber"="22631"\r\n'
  printf '"CurrentMajorVersionNumber"=dword:0000000a\r\n"CurrentMinorVersionNumber"=dword:00000000\r\n'
  printf '"ProductName"="Windows 10 Pro"\r\n\r\n'
  for class in "${classes[@]}"; do
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\WindowsRuntime\\ActivatableClassId\\%s]\r\n' "$class"
    printf '"DllPath"="%s"\r\n"ActivationType"=dword:00000000\r\n\r\n' "$(regtext "$dll")"
  done
} > "$reg"
wine regedit /S "$(winpath "$reg")" >/dev/null 2>&1
wineserver -w
