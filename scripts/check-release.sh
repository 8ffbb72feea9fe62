#!/usr/bin/env bash
# Release checks of the win64 build (run after it, with a display for Wine):
# the package manager's manifest, a second build in another folder that must
# give the same Corvalin-Setup.exe, and signing in that second build folder
# (which then only has to link, pack and sign again). Prints the time each
# part took.
#   check-release.sh [win64 build folder, default build/win64]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build/win64}" && pwd)
# The manifest schemas travel with the tree; CORVALIN_WINGET_SCHEMAS may name
# another copy (a newer download, for instance).
export CORVALIN_WINGET_SCHEMAS=${CORVALIN_WINGET_SCHEMAS:-$root/tools/winget/schemas}
schemas=$CORVALIN_WINGET_SCHEMAS
[ -f "$schemas/manifest.installer.1.10.0.json" ] ||
  { echo "check-release: the manifest schemas are not in $schemas (set CORVALIN_WINGET_SCHEMAS)" >&2; exit 1; }
work=$(mktemp -d /tmp/corvalin-release.XXXXXX)
trap 'rm -rf "$work"' EXIT

t0=$(date +%s)
/usr/bin/python3 "$here/check-winget-manifest.py" "$build" "$schemas" "$root"
# The manifest check must notice a return code that went missing.
mkdir -p "$work/manifest/winget"
cp "$build"/winget/*.yaml "$work/manifest/winget/"
cp "$build/Corvalin-Setup.exe" "$work/manifest/"
sed -i '/InstallerReturnCode: 1618 /,+1d' "$work/manifest/winget/"*.installer.yaml
if /usr/bin/python3 "$here/check-winget-manifest.py" "$work/manifest" "$schemas" "$root" 2>/dev/null; then
  echo "check-release: FAILED: a manifest without exit code 1618 passed the check" >&2
  exit 1
fi
rm -rf "$work/manifest"
t1=$(date +%s)
"$here/check-reproducible.sh" "$work" "$build"
# The second build made the setup alone (--target corvalin_setup, as the
# README's recipe does): the manifest comes with it.
/usr/bin/python3 "$here/check-winget-manifest.py" "$work/corvalin/build/win64" "$schemas" "$root" ||
  { echo "check-release: FAILED: building the setup alone left no matching manifest" >&2; exit 1; }
t2=$(date +%s)
"$here/check-signing.sh" "$work" "$work/corvalin/build/win64" "$build"
t3=$(date +%s)
echo "check-release: manifest $((t1 - t0)) s, second build and comparison $((t2 - t1)) s, signing $((t3 - t2)) s"
