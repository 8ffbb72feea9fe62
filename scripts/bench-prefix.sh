# Sourced by the Wine benchmarks: a virtual display, and a fresh prefix copied
# from the build's end-to-end template (prepared like a Windows 10 system,
# made once per build), both removed again when the script exits.
#   bench_prefix <build-dir> <name>   sets $prefix
#   winpath <unix path>               prints the path as Wine's Z: drive sees it
. "$(dirname "${BASH_SOURCE[0]}")/virtual-display.sh"

bench_prefix() {
  local build=$1 name=$2 here
  here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
  start_virtual_display
  local template=$build/e2e-prefix-full
  (
    flock 9
    if [ ! -f "$template/.prepared" ]; then
      rm -rf "$template"
      "$here/prepare-prefix.sh" "$template"
      touch "$template/.prepared"
    fi
  ) 9>"$build/e2e-prefix-full.lock"
  prefix=$(mktemp -d "/tmp/corvalin-$name.XXXXXX")
  trap 'WINEPREFIX=$prefix wineserver -k 2>/dev/null || true; rm -rf "$prefix"; stop_virtual_display' EXIT
  cp -a "$template/." "$prefix/"
}

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
